// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/localecodepage.h"

#include <QTest>

#include <cstdlib>

using platform::posix::characterLocale;
using platform::posix::LocaleCodePage;
using platform::posix::oemCodePageForLocale;

class TestLocaleCodePage : public QObject
{
    Q_OBJECT

private slots:
    void localeNamesTheCodePage_data();
    void localeNamesTheCodePage();
    void characterLocaleFollowsPosixOrder_data();
    void characterLocaleFollowsPosixOrder();
    void environmentChoosesTheCodePage_data();
    void environmentChoosesTheCodePage();

    void cleanup();
};

void TestLocaleCodePage::localeNamesTheCodePage_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<unsigned>("codePage");

    QTest::newRow("ru_RU.UTF-8") << "ru_RU.UTF-8" << 866u;
    QTest::newRow("uk_UA.UTF-8") << "uk_UA.UTF-8" << 866u;
    QTest::newRow("bg_BG") << "bg_BG" << 866u;
    QTest::newRow("kk_KZ.UTF-8") << "kk_KZ.UTF-8" << 866u;
    QTest::newRow("he_IL") << "he_IL" << 862u;
    QTest::newRow("he_IL.UTF-8") << "he_IL.UTF-8" << 862u;
    QTest::newRow("tr_TR") << "tr_TR" << 857u;
    QTest::newRow("az_AZ") << "az_AZ" << 857u;
    QTest::newRow("pl_PL") << "pl_PL" << 852u;
    QTest::newRow("cs_CZ.UTF-8") << "cs_CZ.UTF-8" << 852u;
    QTest::newRow("hu_HU") << "hu_HU" << 852u;
    QTest::newRow("bs_BA") << "bs_BA" << 852u;
    QTest::newRow("sr_RS") << "sr_RS" << 855u;
    QTest::newRow("sr_RS.UTF-8") << "sr_RS.UTF-8" << 855u;
    QTest::newRow("sr_RS@latin") << "sr_RS@latin" << 852u;
    QTest::newRow("sr_RS.UTF-8@latin") << "sr_RS.UTF-8@latin" << 852u;
    QTest::newRow("sr@latin without territory") << "sr@latin" << 852u;
    QTest::newRow("de_DE") << "de_DE" << 850u;
    QTest::newRow("de_AT.UTF-8@euro") << "de_AT.UTF-8@euro" << 850u;
    QTest::newRow("fr_CA.UTF-8") << "fr_CA.UTF-8" << 850u;
    QTest::newRow("pt_BR") << "pt_BR" << 850u;
    QTest::newRow("nb_NO") << "nb_NO" << 850u;
    QTest::newRow("is_IS") << "is_IS" << 850u;
    QTest::newRow("de without territory") << "de" << 850u;
    QTest::newRow("en_GB") << "en_GB" << 850u;
    QTest::newRow("en_GB.UTF-8") << "en_GB.UTF-8" << 850u;
    QTest::newRow("en_IE") << "en_IE" << 850u;
    QTest::newRow("en_CA") << "en_CA" << 850u;
    QTest::newRow("en_AU") << "en_AU" << 850u;
    QTest::newRow("en_NZ") << "en_NZ" << 850u;
    QTest::newRow("en_US") << "en_US" << 437u;
    QTest::newRow("en_US.UTF-8") << "en_US.UTF-8" << 437u;
    QTest::newRow("en_IN elsewhere in the world") << "en_IN" << 437u;
    QTest::newRow("en without territory") << "en" << 437u;
    QTest::newRow("C") << "C" << 437u;
    QTest::newRow("C.UTF-8") << "C.UTF-8" << 437u;
    QTest::newRow("POSIX") << "POSIX" << 437u;
    QTest::newRow("el_GR Greek") << "el_GR" << 437u;
    QTest::newRow("lt_LT Baltic") << "lt_LT" << 437u;
    QTest::newRow("ja_JP East Asian") << "ja_JP.UTF-8" << 437u;
    QTest::newRow("empty") << "" << 437u;
    QTest::newRow("territory alone is no language") << "_RU" << 437u;
    QTest::newRow("language as a prefix only") << "rus_RU" << 437u;
    QTest::newRow("upper-case language") << "RU_RU" << 866u;
}

void TestLocaleCodePage::localeNamesTheCodePage()
{
    QFETCH(QString, locale);
    QFETCH(unsigned, codePage);

    const QByteArray name = locale.toLatin1();
    QCOMPARE(oemCodePageForLocale(std::string_view(name.constData(), size_t(name.size()))),
             codePage);
}

void TestLocaleCodePage::characterLocaleFollowsPosixOrder_data()
{
    QTest::addColumn<QString>("lcAll");
    QTest::addColumn<QString>("lcCtype");
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QString>("expected");

    // A null QString stands for an unset variable.
    QTest::newRow("LANG alone") << QString() << QString() << "he_IL"
                                << "he_IL";
    QTest::newRow("LC_CTYPE over LANG") << QString() << "tr_TR"
                                        << "he_IL"
                                        << "tr_TR";
    QTest::newRow("LC_ALL over LANG") << "pl_PL" << QString() << "he_IL"
                                      << "pl_PL";
    QTest::newRow("LC_ALL over LC_CTYPE") << "pl_PL"
                                          << "tr_TR"
                                          << "he_IL"
                                          << "pl_PL";
    QTest::newRow("empty LC_ALL is unset") << ""
                                           << "tr_TR"
                                           << "he_IL"
                                           << "tr_TR";
    QTest::newRow("empty LC_ALL and LC_CTYPE") << ""
                                               << ""
                                               << "he_IL"
                                               << "he_IL";
    QTest::newRow("nothing set") << QString() << QString() << QString() << "";
}

void TestLocaleCodePage::characterLocaleFollowsPosixOrder()
{
    QFETCH(QString, lcAll);
    QFETCH(QString, lcCtype);
    QFETCH(QString, lang);
    QFETCH(QString, expected);

    const QByteArray all = lcAll.toLatin1(), ctype = lcCtype.toLatin1(), language = lang.toLatin1();
    const std::string_view chosen = characterLocale(lcAll.isNull() ? nullptr : all.constData(),
                                                    lcCtype.isNull() ? nullptr : ctype.constData(),
                                                    lang.isNull() ? nullptr : language.constData());
    QCOMPARE(QString::fromLatin1(chosen.data(), qsizetype(chosen.size())), expected);
}

void TestLocaleCodePage::environmentChoosesTheCodePage_data()
{
    QTest::addColumn<QString>("lcAll");
    QTest::addColumn<QString>("lcCtype");
    QTest::addColumn<QString>("lang");
    QTest::addColumn<unsigned>("codePage");

    QTest::newRow("LANG ru_RU.UTF-8") << QString() << QString() << "ru_RU.UTF-8" << 866u;
    QTest::newRow("LANG en_US.UTF-8") << QString() << QString() << "en_US.UTF-8" << 437u;
    QTest::newRow("LC_ALL over LANG") << "tr_TR.UTF-8" << QString() << "ru_RU.UTF-8" << 857u;
    QTest::newRow("LC_CTYPE over LANG") << QString() << "he_IL.UTF-8"
                                        << "de_DE" << 862u;
    QTest::newRow("LC_ALL C over LANG") << "C" << QString() << "ru_RU.UTF-8" << 437u;
    QTest::newRow("nothing set") << QString() << QString() << QString() << 437u;
}

void TestLocaleCodePage::environmentChoosesTheCodePage()
{
    QFETCH(QString, lcAll);
    QFETCH(QString, lcCtype);
    QFETCH(QString, lang);
    QFETCH(unsigned, codePage);

    const auto set = [](const char *name, const QString &value) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value.toLatin1());
    };
    set("LC_ALL", lcAll);
    set("LC_CTYPE", lcCtype);
    set("LANG", lang);
    QCOMPARE(LocaleCodePage().oemCodePage(), codePage);
}

void TestLocaleCodePage::cleanup()
{
    qunsetenv("LC_ALL");
    qunsetenv("LC_CTYPE");
    qunsetenv("LANG");
}

QTEST_GUILESS_MAIN(TestLocaleCodePage)
#include "tst_localecodepage.moc"
