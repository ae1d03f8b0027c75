#include "tickets/amount_in_words.h"

namespace {

const char* const units[] = {"",   "egy", "kettö", "három", "négy",
                             "öt", "hat", "hét",   "nyolc", "kilenc"};
const char* const tens[] = {"",      "tizen",  "huszon", "harminc",  "negyven",
                            "ötven", "hatvan", "hetven", "nyolcvan", "kilencven"};
// By the number of three-digit groups left, the current one included.
const char* const groupSuffixes[] = {"", " ", "ezer-", "millió-", "milliárd-"};

int digit(QChar c) {
    return c.unicode() - u'0';
}

QString groupInWords(const QString& group) {
    const int hundreds = digit(group[0]);
    QString words;
    if (hundreds >= 2) words += QString::fromUtf8(units[hundreds]);
    if (hundreds >= 1) words += QStringLiteral("száz");
    const QString lastTwo = group.mid(1);
    if (lastTwo == u"10") return words + QStringLiteral("tíz");
    if (lastTwo == u"20") return words + QStringLiteral("húsz");
    return words + QString::fromUtf8(tens[digit(group[1])]) +
           QString::fromUtf8(units[digit(group[2])]);
}

}  // namespace

QString amountInWords(int amount) {
    if (amount == 0) return QStringLiteral("nulla");
    QString result = amount < 0 ? QStringLiteral("mínusz ") : QString();
    // Through 64 bits so the smallest 32-bit value still has an absolute value.
    QString digits = QString::number(qAbs(qint64(amount)));
    while (digits.size() % 3 != 0) digits.prepend(u'0');
    while (!digits.isEmpty()) {
        const QString group = digits.left(3);
        if (group != u"000")
            result += groupInWords(group) + QString::fromUtf8(groupSuffixes[digits.size() / 3]);
        digits.remove(0, 3);
    }
    return result;
}
