// Storage faults on the real program: the database file read-only, the disk full while saving,
// the working folder removed while the program runs. Each ends in a message to the user with the
// entry still open and its input kept, and nothing half-written: a ticket is whole or absent, an
// output file is the old one or absent.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "../exchange/exchange_test_support.h"
#include "../tickets/ticket_test_support.h"
#include "core/startup.h"
#include "exchange/inventory_xml.h"
#include "exchange/inventory_xml_screen.h"
#include "exchange/spreadsheet_export.h"
#include "exchange/text_export.h"
#include "maintenance/backup_screen.h"
#include "permission_override.h"
#include "registers/producer_entry.h"
#include "support/app_fixture.h"
#include "support/database_fixture.h"
#include "support/recording_ui.h"
#include "tickets/ticket_entry.h"
#include "tickets/ticket_list.h"

using namespace tickets_test;

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

// A storage fault switched on and off around a save.
class FaultSwitch {
public:
    virtual ~FaultSwitch() = default;
    virtual bool on() = 0;  // false when this machine cannot make the fault
    virtual void off() = 0;
};

// No file grows beyond `bytes` (the database's size when the fault is made): writes beyond fail
// with "File too large" as they would with "No space left" on a full disk. The signal the kernel
// sends with it is ignored, as a program that checks its writes must.
class DiskFull : public FaultSwitch {
public:
    explicit DiskFull(qint64 bytes) : m_bytes(bytes) {}
    ~DiskFull() override { off(); }
    bool on() override {
        if (m_on) return true;
        m_signal = ::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limit = m_saved;
        limit.rlim_cur = rlim_t(m_bytes);
        m_on = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
        return m_on;
    }
    void off() override {
        if (!m_on) return;
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        ::signal(SIGXFSZ, m_signal);
        m_on = false;
    }

private:
    qint64 m_bytes;
    bool m_on = false;
    rlimit m_saved{};
    sighandler_t m_signal = SIG_DFL;
};

// The database file turns unwritable while the engine holds it open: its immutable flag fails
// even the writes through an open descriptor (a permission change would not). Not every file
// system or account may set it.
class FileTurnsReadOnly : public FaultSwitch {
public:
    explicit FileTurnsReadOnly(const QString& path) : m_path(QFile::encodeName(path)) {}
    ~FileTurnsReadOnly() override { off(); }
    bool on() override { return m_on = m_on || setFlag(true); }
    void off() override {
        if (m_on) setFlag(false);
        m_on = false;
    }

private:
    bool setFlag(bool immutable) {
        const int fd = ::open(m_path.constData(), O_RDONLY);
        if (fd < 0) return false;
        int flags = 0;
        bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        ::close(fd);
        return done;
    }
    QByteArray m_path;
    bool m_on = false;
};

// Fills the tables with `filler` (small rows of another buyer) until the disk takes no more:
// the pages are then full to a row, and a save's row needs room the disk has not got.
void fillTheDisk(AppFixture& f, const QString& filler) {
    for (const int rows : {50, 1}) {
        for (;;) {
            try {
                f.exec(QStringLiteral("EXECUTE BLOCK AS DECLARE i INT = 0; BEGIN WHILE (i < %1) "
                                      "DO BEGIN %2 i = i + 1; END END")
                           .arg(rows)
                           .arg(filler));
            } catch (const std::exception&) {
                f.data().rollback();
                break;
            }
        }
    }
}

// Small rows of another buyer: the room they leave in a page is too small for a save's row.
const QString noise = QStringLiteral("LEFT(UUID_TO_CHAR(GEN_UUID()), 16)");
const QString ticketFiller =
    QStringLiteral(
        "INSERT INTO fjfej (f_bszam, f_akod, f_megj) VALUES ('Z', 'Z', %1); "
        "INSERT INTO fjsor (s_bszam, s_akod, s_megnevezes) VALUES ('Z', 'Z', %1);")
        .arg(noise);
const QString producerFiller =
    QStringLiteral("INSERT INTO ostermelo (o_kod, o_nev) VALUES ('Z', %1);").arg(noise);

// The database faults: made ready on the fixture, switched on with an entry open.
struct DatabaseFault {
    const char* name;
    // `filler` fills the tables the save writes, for a fault that strikes only on new room.
    std::function<std::unique_ptr<FaultSwitch>(AppFixture&, const QString& filler)> prepare;
};

const DatabaseFault databaseFaults[] = {
    {"disk full",
     [](AppFixture& f, const QString& filler) -> std::unique_ptr<FaultSwitch> {
         auto disk = std::make_unique<DiskFull>(
             QFileInfo(f.folder() + QStringLiteral("/termaro.fdb")).size());
         if (disk->on()) fillTheDisk(f, filler);
         disk->off();
         return disk;
     }},
    {"database file turned read-only",
     [](AppFixture& f, const QString&) -> std::unique_ptr<FaultSwitch> {
         return std::make_unique<FileTurnsReadOnly>(f.folder() + QStringLiteral("/termaro.fdb"));
     }},
};

// Clicks OK on an entry with the fault on. When the save fails, checks that the user was told
// (the numbered message first; a list read again behind it may add the engine's reason) and the
// entry keeps its input, lifts the fault, runs `checkStored` and clicks OK again, which must
// save. Returns whether the fault struck.
bool saveThroughTheFault(AppFixture& f, FaultSwitch& fault, QDialog& entry, const char* input,
                         const std::function<void()>& checkStored) {
    const QString typed = edit(entry, input)->text();
    f.ui.messages.clear();
    button(entry, "OK")->click();
    const bool struck = entry.isVisible();
    if (struck) {
        EXPECT_TRUE(f.ui.messages.value(0).startsWith("Hiba"))
            << f.ui.messages.value(0).toStdString();
        EXPECT_EQ(edit(entry, input)->text(), typed) << "the input is kept";
        fault.off();
        checkStored();
        f.ui.messages.clear();
        button(entry, "OK")->click();
        EXPECT_EQ(f.ui.messages, QStringList());
        EXPECT_FALSE(entry.isVisible());
    }
    return struck;
}

// What the other connection sees of a ticket: "header|lines|sum of lines|header sum", or "".
QString storedTicket(AppFixture& f, const QString& number) {
    return committed(
        f, QStringLiteral("SELECT count(*) || '|' || (SELECT count(*) FROM fjsor WHERE s_bszam = "
                          "'%1') || '|' || COALESCE((SELECT sum(s_vetelar) FROM fjsor WHERE "
                          "s_bszam = '%1'), 0) || '|' || COALESCE(max(f_sumvar), 0) FROM fjfej "
                          "WHERE f_bszam = '%1'")
               .arg(number));
}

}  // namespace

// A new ticket with three lines, the fault switched on once the entry is open. Wherever it
// strikes (a line's write or the ticket's), the user is told, that entry stays open with its
// input and nothing stands half-written: the lines confirmed so far and no header. Once the
// fault is gone the same entry saves, and the ticket is whole.
TEST(StorageFaults, ATicketSavedUnderAFaultIsToldKeptOpenAndSavedWholeAfterwards) {
    for (const DatabaseFault& kind : databaseFaults) {
        SCOPED_TRACE(kind.name);
        AppFixture f(true);
        f.chooseBuyer("1");
        writeSettings(f, allVisible);
        TForm8 list(f.app());
        list.show();
        const std::unique_ptr<FaultSwitch> fault = kind.prepare(f, ticketFiller);
        QString number;
        int linesConfirmed = 0;
        bool struck = false;
        if (!fault->on()) {
            std::printf("skipped: %s cannot be made here\n", kind.name);
            continue;
        }
        fault->off();
        const auto nothingHalf = [&] {
            const QString stored = storedTicket(f, number);
            EXPECT_EQ(stored.section('|', 0, 1), QStringLiteral("0|%1").arg(linesConfirmed))
                << "no header, no half line";
        };
        // Tickets until one needs room the disk no longer has.
        for (int attempt = 0; attempt < 40 && !struck; ++attempt) {
            linesConfirmed = 0;
            f.ui.onModal["TForm9"] = [&](QDialog& d) {
                auto& entry = static_cast<TForm9&>(d);
                number = entry.documentNumber();
                pickProducer(f, "3");
                entry.producerButton()->click();
                edit(d, "F_MEGJ")->setText("száraz áru");
                for (const char* quantity : {"2", "150,5", "7"}) {
                    pickProduct(f, "1");
                    f.ui.onModal["TForm10"] = [&](QDialog& line) {
                        button(line, "Termék")->click();
                        edit(line, "S_BRUTTO")->setText(quantity);
                        fault->on();
                        struck =
                            saveThroughTheFault(f, *fault, line, "S_BRUTTO", nothingHalf) || struck;
                        ++linesConfirmed;
                        return line.result();
                    };
                    button(d, "Új")->click();
                }
                EXPECT_EQ(f.data().query("ZQ20").rowCount(), 3);
                fault->on();
                struck = saveThroughTheFault(f, *fault, d, "F_MEGJ", nothingHalf) || struck;
                return d.result();
            };
            button(list, "Új")->click();
            EXPECT_EQ(f.ui.messages, QStringList());
        }
        ASSERT_TRUE(struck) << "the fault never reached a save";
        const QStringList stored = storedTicket(f, number).split('|');
        EXPECT_EQ(stored.mid(0, 2), QStringList({"1", "3"}));
        EXPECT_EQ(stored.value(2), stored.value(3)) << "the header holds the sum of its lines";
    }
}

// A new producer saved under the fault: told, kept open with its input, absent until the second
// OK after the fault is gone, then stored once.
TEST(StorageFaults, AProducerSavedUnderAFaultIsToldKeptOpenAndSavedOnceAfterwards) {
    const std::pair<const char*, const char*> inputs[] = {
        {"O_IRSZAM", "6000"},         {"O_HELYSEGNEV", "Kecskemét"}, {"O_UTCA", "Fő"},
        {"O_ADOAZON", "8347708363"},  {"O_ADOSZAM", "71689766103"},  {"O_SZJA", "15"},
        {"O_SZULHELY", "Szeged"},     {"O_SZIDO", "1962.03.14"},     {"O_NEME", "2"},
        {"O_ANYJA", "Nagy Éva"},      {"O_SZULNEV", "Tóth Anna"},    {"O_FHAT", "8"},
        {"O_ERVKELT1", "2021.01.01"}, {"O_FELIR", "KJ7273177"},
    };
    for (const DatabaseFault& kind : databaseFaults) {
        SCOPED_TRACE(kind.name);
        AppFixture f(true);
        f.chooseBuyer("1");
        const std::unique_ptr<FaultSwitch> fault = kind.prepare(f, producerFiller);
        if (!fault->on()) {
            std::printf("skipped: %s cannot be made here\n", kind.name);
            continue;
        }
        fault->off();
        bool struck = false;
        QString name;
        const auto count = [&f](const QString& n) {
            return committed(
                f, QStringLiteral("SELECT count(*) FROM ostermelo WHERE o_nev = '%1'").arg(n));
        };
        for (int attempt = 0; attempt < 400 && !struck; ++attempt) {
            f.run().producerEntryMode = QStringLiteral("Új őstermelő");
            TForm5 entry(f.app());
            entry.show();
            name = QStringLiteral("Kiss Anna %1").arg(attempt);
            entry.field("O_NEV")->setText(name);
            for (const auto& [column, text] : inputs)
                entry.field(column)->setText(QString::fromUtf8(text));
            fault->on();
            struck = saveThroughTheFault(f, *fault, entry, "O_NEV",
                                         [&] { EXPECT_EQ(count(name), "0"); });
            EXPECT_EQ(f.ui.messages, QStringList());
        }
        ASSERT_TRUE(struck) << "the fault never reached a save";
        EXPECT_EQ(count(name), "1");
    }
}

// A database file the account may only read: the program does not start, it says it cannot
// reach the database and why, and the file stays as it was. The start runs in a child process of
// its own (its own engine, without root's override), this test again with the folder named.
TEST(StorageFaults, AReadOnlyDatabaseFileStopsTheStartWithTheReasonAndStaysAsItWas) {
    const QString childFolder = qEnvironmentVariable("TERMARO_READ_ONLY_FOLDER");
    if (!childFolder.isEmpty()) {
        const WithoutPermissionOverride asABuyer;
        QDir::setCurrent(childFolder);
        RecordingUi ui;
        EXPECT_EQ(startProgram(ui), nullptr);
        ASSERT_EQ(ui.messages.size(), 1);
        EXPECT_EQ(ui.messages[0],
                  "Az adatbáziskezelöt nem találja.\rA program müködéséhez szükséges.\rno "
                  "permission for read-write access to database " +
                      childFolder + "/termaro.fdb");
        return;
    }
    QTemporaryDir folder;
    QTemporaryDir lockFolder;
    createDatabase(folder.path(), true);
    const QString file = folder.path() + QStringLiteral("/termaro.fdb");
    const QByteArray before = fileBytes(file);
    ASSERT_TRUE(
        QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TERMARO_READ_ONLY_FOLDER"), folder.path());
    env.insert(QStringLiteral("FIREBIRD_LOCK"), lockFolder.path());
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=StorageFaults.") +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name()});
    ASSERT_TRUE(child.waitForFinished(120000));
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0);
    EXPECT_TRUE(fileBytes(file) == before) << "the database file is untouched";
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"termaro.fdb"});
}

namespace {

// An output the user writes into the working folder, through its screen.
struct Output {
    const char* name;
    const char* file;           // in the working folder
    QStringList writtenBefore;  // whole files the output may write before `file`
    std::function<void(AppFixture&)> write;
};

const Output outputs[] = {
    {"text export",
     "FjSor.txt",
     {"atvevo.txt", "ostermelo.txt", "sorszam.txt", "termek.txt", "FjFej.txt"},
     [](AppFixture& f) {
         TForm29 screen(f.app());
         screen.show();
         screen.findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(f.folder() + '/');
         buttonOf(&screen, QStringLiteral("Export"))->click();
     }},
    {"spreadsheet export",
     "FJFEJ.xlsx",
     {},
     [](AppFixture& f) {
         TForm20 screen(f.app());
         screen.show();
         QWidget* page = screen.findChild<QTabWidget*>(QStringLiteral("pages"))->widget(0);
         buttonOf(page, QStringLiteral("Kigyüjtés"))->click();
         buttonOf(page, QStringLiteral("Exportálás "))->click();
     }},
    {"inventory file",
     "fjegy_keszlethez.xml",
     {},
     [](AppFixture& f) {
         TForm41 screen(f.app());
         screen.show();
         screen.findChild<QDateEdit*>(QStringLiteral("DateTimePicker1"))
             ->setDate(QDate(2000, 1, 1));
         screen.findChild<QDateEdit*>(QStringLiteral("DateTimePicker2"))
             ->setDate(QDate(2030, 1, 1));
         screen.findChild<QPushButton*>(QStringLiteral("Button4"))->click();
     }},
    {"backup",
     "mentes.fdb",
     {},
     [](AppFixture& f) {
         TForm35 screen(f.app());
         screen.show();
         screen.findChild<QLineEdit*>(QStringLiteral("Edit2"))
             ->setText(f.folder() + QStringLiteral("/mentes.fdb"));
         screen.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
     }},
};

// Every line of the demonstration year many times over, each with a name of its own: each
// output is larger than the room left on the full disk below.
void makeOutputsLarge(AppFixture& f) {
    for (int i = 0; i < 7; ++i)
        f.exec(QStringLiteral(
            "INSERT INTO fjsor (s_bszam, s_termekkod, s_megnevezes, s_vtsz, s_levonszaz, s_brutto, "
            "s_megy, s_ear, s_kompmerteke, s_akod, s_szja, s_bizonylat) SELECT s_bszam, "
            "s_termekkod, LEFT(UUID_TO_CHAR(GEN_UUID()), 30), s_vtsz, s_levonszaz, s_brutto, "
            "s_megy, s_ear, s_kompmerteke, s_akod, s_szja, s_bizonylat FROM fjsor"));
}

}  // namespace

// Each output written on a full disk: the user is told and the old file stays byte for byte,
// with no half file beside it. With the working folder removed under the running program: the
// user is told and nothing is written anywhere.
TEST(StorageFaults, AnOutputThatCannotBeWrittenIsToldAndLeavesTheOldFileOrNone) {
    for (const Output& output : outputs) {
        SCOPED_TRACE(output.name);
        {
            SCOPED_TRACE("disk full");
            AppFixture f(true);
            f.chooseBuyer("1");
            makeOutputsLarge(f);
            const QString target = f.folder() + '/' + QString::fromLatin1(output.file);
            const bool backup = QByteArray(output.name) == "backup";  // must not exist before
            if (!backup) writeBytes(target, "the previous file");
            const QStringList before = QDir(f.folder()).entryList(QDir::Files | QDir::Hidden);
            {
                // Room for the database but none for a copy of it or for a large output.
                DiskFull disk(
                    backup ? QFileInfo(f.folder() + QStringLiteral("/termaro.fdb")).size() - 8192
                           : 32 * 1024);
                ASSERT_TRUE(disk.on());
                output.write(f);
            }
            EXPECT_FALSE(f.ui.messages.isEmpty());
            EXPECT_EQ(fileBytes(target), backup ? QByteArray() : QByteArray("the previous file"));
            QStringList after = QDir(f.folder()).entryList(QDir::Files | QDir::Hidden);
            for (const QString& whole : output.writtenBefore) after.removeOne(whole);
            EXPECT_EQ(after, before) << "no half file";
        }
        {
            SCOPED_TRACE("working folder removed");
            AppFixture f(true);
            f.chooseBuyer("1");
            ASSERT_TRUE(QDir(f.folder()).removeRecursively());
            output.write(f);
            EXPECT_FALSE(f.ui.messages.isEmpty());
            EXPECT_FALSE(QFileInfo::exists(f.folder()));
        }
    }
}
