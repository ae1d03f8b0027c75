#include "large_data.h"

#include <QStringList>
#include <vector>

#include "core/tdata.h"
#include "core/value.h"

namespace {

// Name lists handed to the server as fixed-width texts, one entry per `width` characters.
constexpr int width = 16;

QString fixedWidth(const QStringList& entries) {
    QString text;
    for (const QString& e : entries) text += e.leftJustified(width, ' ', true);
    return text;
}

const QStringList families = {
    "Kovács",  "Nagy",   "Tóth",   "Szabó",  "Horváth",  "Varga",   "Kiss",    "Molnár",
    "Németh",  "Farkas", "Balogh", "Papp",   "Takács",   "Juhász",  "Lakatos", "Mészáros",
    "Oláh",    "Simon",  "Rácz",   "Fekete", "Szilágyi", "Török",   "Fehér",   "Balázs",
    "Gál",     "Kis",    "Szűcs",  "Kocsis", "Orsós",    "Pintér",  "Fodor",   "Szalai",
    "Sipos",   "Magyar", "Lukács", "Gulyás", "Biró",     "Király",  "Katona",  "László",
    "Jakab",   "Bogdán", "Balog",  "Sándor", "Boros",    "Fazekas", "Kelemen", "Antal",
    "Somogyi", "Orosz",  "Fülöp",  "Veres",  "Vincze",   "Hegedűs", "Budai",   "Deák",
    "Pap",     "Bálint", "Pál",    "Illés",  "Vass",     "Szőke",   "Fábián",  "Vörös",
};
const QStringList givens = {
    "János",  "István",   "László",  "József", "Zoltán",    "Sándor", "Gábor",     "Ferenc",
    "Attila", "Péter",    "Tamás",   "Zsolt",  "Tibor",     "András", "Csaba",     "Imre",
    "Mária",  "Erzsébet", "Katalin", "Éva",    "Ilona",     "Anna",   "Zsuzsanna", "Margit",
    "Judit",  "Ágnes",    "Andrea",  "Erika",  "Krisztina", "Irén",   "Eszter",    "Rozália",
};
const QStringList towns = {
    "Kecskemét", "Nagykőrös", "Cegléd", "Kiskunfélegyháza", "Szentes",  "Kiskőrös", "Kalocsa",
    "Baja",      "Szeged",    "Makó",   "Hódmezővásárhely", "Csongrád",
};
const char* const postalCodes = "600027502700610066006200630065006720690068006640";
const QStringList produce = {
    "Búza",      "Árpa",         "Kukorica", "Zab",    "Rozs",        "Napraforgó",  "Repce",
    "Alma",      "Körte",        "Szilva",   "Meggy",  "Cseresznye",  "Kajszi",      "Őszibarack",
    "Dió",       "Mogyoró",      "Burgonya", "Hagyma", "Paprika",     "Paradicsom",  "Uborka",
    "Sárgarépa", "Petrezselyem", "Káposzta", "Tök",    "Görögdinnye", "Sárgadinnye", "Szőlő",
    "Málna",     "Szeder",       "Ribizli",  "Bodza",
};

// Half-to-even rounding and the weighted digit sum the identifier check digits use.
const char* const helpers = R"(
  DECLARE FUNCTION halfeven(x DOUBLE PRECISION) RETURNS DOUBLE PRECISION AS
    DECLARE r DOUBLE PRECISION;
  BEGIN
    r = ROUND(x, 0);
    IF (ABS(x - TRUNC(x)) = 0.5 AND MOD(CAST(r AS BIGINT), 2) <> 0) THEN r = r - SIGN(x);
    RETURN r;
  END
  DECLARE FUNCTION weighted(digits VARCHAR(20), weights VARCHAR(20)) RETURNS INTEGER AS
    DECLARE k INTEGER = 1;
    DECLARE s INTEGER = 0;
  BEGIN
    WHILE (k <= CHAR_LENGTH(weights)) DO BEGIN
      s = s + CAST(SUBSTRING(digits FROM k FOR 1) AS INTEGER) *
              CAST(SUBSTRING(weights FROM k FOR 1) AS INTEGER);
      k = k + 1;
    END
    RETURN s;
  END
)";

const char* const producerBlock = R"(
EXECUTE BLOCK (n INTEGER = ?, families VARCHAR(2000) = ?, nf INTEGER = ?, givens VARCHAR(2000) = ?,
               ng INTEGER = ?, towns VARCHAR(2000) = ?, nt INTEGER = ?, codes VARCHAR(200) = ?,
               first_code INTEGER = ?)
AS
  DECLARE i INTEGER = 1;
  DECLARE seq INTEGER;
  DECLARE birth DATE;
  DECLARE taxid VARCHAR(10);
  DECLARE base VARCHAR(8);
  DECLARE taxnumber VARCHAR(11);
  DECLARE taj VARCHAR(9);
  DECLARE pname VARCHAR(45);
  DECLARE mother VARCHAR(45);
  DECLARE town VARCHAR(45);
  DECLARE letters VARCHAR(22) = 'ABCDEFGHIJKLMNOPRSTUVZ';
  %HELPERS%
BEGIN
  WHILE (i <= n) DO BEGIN
    /* even codes are men (the first half of the given names), odd ones women */
    pname = TRIM(SUBSTRING(families FROM MOD(i, nf) * 16 + 1 FOR 16)) || ' ' ||
            TRIM(SUBSTRING(givens FROM (MOD(i / nf, ng) + IIF(MOD(i, 2) = 0, 0, ng)) * 16 + 1
                                  FOR 16));
    mother = TRIM(SUBSTRING(families FROM MOD(i * 7 + 3, nf) * 16 + 1 FOR 16)) || ' ' ||
             TRIM(SUBSTRING(givens FROM (ng + MOD(i, ng)) * 16 + 1 FOR 16));
    town = TRIM(SUBSTRING(towns FROM MOD(i, nt) * 16 + 1 FOR 16));
    birth = DATEADD(MOD(i * 37, 20000) DAY TO DATE '1940-01-01');
    seq = MOD(i, 1000);
    taxid = '8' || LPAD(birth - DATE '1867-01-01', 5, '0') || LPAD(seq, 3, '0');
    WHILE (MOD(weighted(taxid, '123456789'), 11) = 10) DO BEGIN
      seq = MOD(seq + 1, 1000);
      taxid = '8' || LPAD(birth - DATE '1867-01-01', 5, '0') || LPAD(seq, 3, '0');
    END
    taxid = taxid || MOD(weighted(taxid, '123456789'), 11);
    base = LPAD(1000000 + MOD(i * 7919, 8999999), 7, '0');
    taxnumber = base || MOD(10 - MOD(weighted(base, '9731973'), 10), 10) || '1' ||
                LPAD(2 + MOD(i, 19), 2, '0');
    base = LPAD(10000000 + MOD(i * 104729, 89999999), 8, '0');
    taj = base || MOD(weighted(base, '37373737'), 10);
    INSERT INTO ostermelo (o_kod, o_nev, o_irszam, o_helysegnev, o_utca, o_adoazon, o_igszam,
        o_regszam, o_szja, o_szulhely, o_szido, o_anyja, o_csgazd, o_neme, o_szulnev, o_taj,
        o_adoszam, o_bankszla, o_ervkelt, o_mnyptag, o_betetlap, o_kamara, o_felir, o_kerulet,
        o_jelleg, o_hazszam, o_epulet, o_lepcso, o_szint, o_ajto, o_fhat, o_kozadoszam,
        o_feljegyz, o_igszam1, o_ervkelt1, o_csgazd1)
      VALUES (:first_code + :i - 1, :pname, SUBSTRING(:codes FROM MOD(:i, :nt) * 4 + 1 FOR 4), :town,
        IIF(MOD(:i, 2) = 0, 'Petőfi Sándor', 'Kossuth Lajos'), :taxid, '', '',
        IIF(MOD(:i, 3) = 0, 15, 0), :town, :birth, :mother, '', IIF(MOD(:i, 2) = 0, '1', '2'),
        :pname, :taj, :taxnumber, IIF(MOD(:i, 4) = 0, '11773016-' || LPAD(:i, 8, '0'), ''),
        DATE '1900-01-01', 'N', '', '', SUBSTRING(:letters FROM MOD(:i, 22) + 1 FOR 1) ||
        SUBSTRING(:letters FROM MOD(:i / 22, 22) + 1 FOR 1) || LPAD(MOD(:i * 7, 10000000), 7, '0'),
        '', 'utca', (MOD(:i, 120) + 1) || '.', '', '', '', '', IIF(MOD(:i, 4) = 0, 8, 0), '', '',
        IIF(MOD(:i, 5) = 0, 'NEBIH' || LPAD(:i, 10, '0'), ''), DATE '2021-01-01',
        IIF(MOD(:i, 7) = 0, 'OCSG-' || LPAD(:i, 8, '0'), ''));
    i = i + 1;
  END
END)";

const char* const productBlock = R"(
EXECUTE BLOCK (n INTEGER = ?, names VARCHAR(2000) = ?, nn INTEGER = ?, buyer VARCHAR(5) = ?,
               first_code INTEGER = ?)
AS
  DECLARE i INTEGER = 1;
  DECLARE pname VARCHAR(75);
BEGIN
  WHILE (i <= n) DO BEGIN
    pname = TRIM(SUBSTRING(names FROM MOD(i - 1, nn) * 16 + 1 FOR 16));
    IF (i > nn) THEN pname = pname || ' ' || ((i - 1) / nn + 1) || '. oszt.';
    INSERT INTO termek (t_kod, t_megnevezes, t_vtsz, t_ear, t_megy, t_kompmerteke, t_akod,
        t_bizonylat)
      VALUES (:first_code + :i - 1, :pname, 1000 + MOD(:i * 13, 9000), 50 + MOD(:i * 37, 450), 'kg',
        IIF(MOD(:i, 4) = 0, 0, 12), :buyer, '');
    i = i + 1;
  END
END)";

const char* const ticketBlock = R"(
EXECUTE BLOCK (tickets INTEGER = ?, lines INTEGER = ?, producers INTEGER = ?, products INTEGER = ?,
               first_number INTEGER = ?, buyer VARCHAR(5) = ?, first_producer INTEGER = ?,
               first_product INTEGER = ?)
AS
  DECLARE i INTEGER = 1;
  DECLARE k INTEGER;
  DECLARE cnt INTEGER;
  DECLARE num VARCHAR(8);
  DECLARE producer VARCHAR(5);
  DECLARE szja INTEGER;
  DECLARE cash BOOLEAN;
  DECLARE ticket_day DATE;
  DECLARE total DOUBLE PRECISION;
  DECLARE payable DOUBLE PRECISION;
  DECLARE code VARCHAR(5);
  DECLARE pname VARCHAR(75);
  DECLARE vtsz VARCHAR(10);
  DECLARE price NUMERIC(18,4);
  DECLARE unit VARCHAR(10);
  DECLARE komp BIGINT;
  %HELPERS%
BEGIN
  WHILE (i <= tickets) DO BEGIN
    num = first_number + i - 1;
    producer = first_producer + MOD(i * 7, producers);
    szja = IIF(MOD(MOD(i * 7, producers) + 1, 3) = 0, 15, 0);
    cash = MOD(i, 4) <> 0;
    ticket_day = DATEADD(MOD(i, 365) DAY TO DATE '2026-01-01');
    cnt = lines / tickets + IIF(i <= MOD(lines, tickets), 1, 0);
    k = 1;
    WHILE (k <= cnt) DO BEGIN
      code = first_product + MOD(i * 13 + k * 7, products);
      SELECT FIRST 1 t_megnevezes, t_vtsz, t_ear, t_megy, t_kompmerteke FROM termek
        WHERE t_kod = :code INTO :pname, :vtsz, :price, :unit, :komp;
      INSERT INTO fjsor (s_bszam, s_termekkod, s_megnevezes, s_vtsz, s_levonszaz, s_brutto,
          s_megy, s_ear, s_kompmerteke, s_akod, s_szja, s_bizonylat)
        VALUES (:num, :code, :pname, :vtsz, IIF(MOD(:i + :k, 5) = 0, 2, 0),
          10 + MOD(:i * 31 + :k * 17, 990), :unit, :price, :komp, :buyer, :szja, '');
      k = k + 1;
    END
    SELECT COALESCE(SUM(s_vetelar), 0) FROM fjsor WHERE s_bszam = :num INTO :total;
    payable = halfeven(total - szja * total / 100 - 0e0 - 0e0);
    IF (cash) THEN payable = halfeven(payable / 5) * 5;
    INSERT INTO fjfej (f_bszam, f_akod, f_ostermkod, f_kelt, f_felvkelt, f_fizkelt, f_utal, f_prn,
        f_szja, f_jarulszaz, f_levonas, f_megj, f_nyilatk, f_muvktg, f_tipus, f_ervenyt, f_pipa,
        f_sumvar)
      VALUES (:num, :buyer, :producer, :ticket_day, :ticket_day, :ticket_day, IIF(:cash, ' ', 'x'), 'I', :szja, 0, 0,
        '', ' ', :payable, '1', '', '', :total);
    i = i + 1;
  END
  UPDATE OR INSERT INTO sorszam (a_akod, a_fjbszam) VALUES (:buyer, :first_number + :tickets - 1)
    MATCHING (a_akod);
END)";

QString withHelpers(const char* block) {
    return QString::fromUtf8(block).replace(QStringLiteral("%HELPERS%"),
                                            QString::fromLatin1(helpers));
}

}  // namespace

void fillLargeData(TData& data, const LargeDataCounts& counts) {
    // PSQL variables are written ":name", which the pool queries would read as parameters; these
    // blocks go to the database directly with positional ones.
    Database& db = data.database();
    db.execute(withHelpers(producerBlock),
               {Value::integer(counts.producers), Value::text(fixedWidth(families)),
                Value::integer(families.size()), Value::text(fixedWidth(givens)),
                Value::integer(givens.size() / 2), Value::text(fixedWidth(towns)),
                Value::integer(towns.size()), Value::text(QString::fromLatin1(postalCodes)),
                Value::integer(counts.firstProducerCode)});
    db.execute(QString::fromUtf8(productBlock),
               {Value::integer(counts.products), Value::text(fixedWidth(produce)),
                Value::integer(produce.size()), Value::text(counts.buyer),
                Value::integer(counts.firstProductCode)});
    if (counts.tickets > 0) {
        db.execute(
            withHelpers(ticketBlock),
            {Value::integer(counts.tickets), Value::integer(counts.lines),
             Value::integer(counts.producers), Value::integer(counts.products),
             Value::integer(counts.firstNumber), Value::text(counts.buyer),
             Value::integer(counts.firstProducerCode), Value::integer(counts.firstProductCode)});
    }
    data.commit();
}
