#include "editor/cp1251.h"
#include "editor/plaintext.h"

#include <QTextDocument>
#include <QtTest>
#include <iconv.h>

class Cp1251Test : public QObject {
    Q_OBJECT
private slots:
    // Our table agrees with glibc's CP1251 for every assigned byte.
    void tableMatchesIconv() {
        iconv_t cd = iconv_open("UTF-16LE", "CP1251");
        QVERIFY(cd != reinterpret_cast<iconv_t>(-1));
        for (int b = 1; b < 256; ++b) {
            if (b == 0x98)
                continue;
            char in = static_cast<char>(b);
            char16_t out = 0;
            char *ip = &in, *op = reinterpret_cast<char *>(&out);
            size_t il = 1, ol = 2;
            QVERIFY2(iconv(cd, &ip, &il, &op, &ol) != static_cast<size_t>(-1), qPrintable(QString::number(b, 16)));
            QCOMPARE(int(cp1251::toUnicode(static_cast<unsigned char>(b))), int(out));
            QCOMPARE(cp1251::fromUnicode(out), b);
        }
        iconv_close(cd);
        QCOMPARE(int(cp1251::toUnicode(0x98)), 0x98);
        QCOMPARE(cp1251::fromUnicode(0x98), 0x98);
    }

    void encodeWritesForeignCharactersAsQuestionMarks() {
        QCOMPARE(cp1251::decode(cp1251::encode(u"Привет, мир — €")), QStringView(u"Привет, мир — €").toString());
        QCOMPARE(cp1251::encode(u"日本"), QByteArray("??"));
        // A surrogate pair is one character, so one '?'.
        QCOMPARE(cp1251::encode(QString::fromUtf8("a\xF0\x9F\x98\x80z")), QByteArray("a?z"));
        QCOMPARE(cp1251::encode(QString(QChar(0xD800))), QByteArray("?"));
    }

    // Every byte but CR and LF survives a plain-text read and write; zero bytes drop.
    void plainTextRoundTrip() {
        QByteArray all;
        for (int b = 1; b < 256; ++b)
            if (b != '\r' && b != '\n')
                all.append(char(b));
        QByteArray input = all + "\r\nline2\rline3\nline4";
        QTextDocument doc;
        plaintext::read(input, doc);
        QCOMPARE(doc.blockCount(), 4);
        QCOMPARE(plaintext::write(doc), all + "\r\nline2\r\nline3\r\nline4");
        QTextDocument withZero;
        plaintext::read(QByteArray("a\0b", 3), withZero);
        QCOMPARE(plaintext::text(withZero), QStringLiteral("ab"));
    }
};

QTEST_GUILESS_MAIN(Cp1251Test)
#include "cp1251_test.moc"
