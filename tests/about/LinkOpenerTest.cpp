#include "about/LinkOpener.h"

#include "support/TempFolder.h"

#include <QFile>

#include <gtest/gtest.h>

#include <optional>

namespace {
const QString kAddress = QStringLiteral("https://github.com/halvoren/vizmar");

TEST(BrowserCommandTest, CutsAtThePlaceholderAndAppendsTheAddressAsOneArgument)
{
    struct Case {
        const char* execLine;
        QStringList expected;
    };
    const Case cases[] = {
        {"firefox-esr %u", {"firefox-esr", kAddress}},
        {"browser", {"browser", kAddress}},
        {"browser --new-window \"%U\" --private", {"browser", "--new-window", kAddress}},
        {"\"/opt/My Browser/run\" %1 --incognito", {"/opt/My Browser/run", kAddress}},
        {"browser --a %F --b %u", {"browser", "--a", kAddress}},
        {"chromium %i --class web %f", {"chromium", "--class", "web", kAddress}},
        {"run \"quoted \\\"arg\\\"\" 100%% %u", {"run", "quoted \"arg\"", "100%", kAddress}},
        {"%u", {}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BrowserCommand(QString::fromLatin1(c.execLine), kAddress), c.expected) << c.execLine;
}

TEST(BrowserCommandTest, AnAddressFullOfShellCharactersStaysOneUntouchedArgument)
{
    const QString hostile = QStringLiteral("https://x.org/a b;rm -rf ~ $(reboot) `id` \"q\" %u | cat > /tmp/x");
    const QStringList command = BrowserCommand(QStringLiteral("browser %u"), hostile);
    ASSERT_EQ(command.size(), 2);
    EXPECT_EQ(command.last(), hostile);
}

TEST(BrowserCommandTest, ALongCommandIsNeverCut)
{
    const QString longProgram = QStringLiteral("/opt/") + QString(2000, QLatin1Char('b'));
    const QString longAddress = QStringLiteral("https://x.org/") + QString(3000, QLatin1Char('a'));
    EXPECT_EQ(BrowserCommand(longProgram + QStringLiteral(" %u"), longAddress), QStringList({longProgram, longAddress}));
}

TEST(ReadExecLineTest, ReadsTheEntrysExecLineAndUndoesItsEscapes)
{
    TempFolder folder;
    QFile file(folder.file(QStringLiteral("browser.desktop")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Desktop Action new-window]\nExec=wrong --new\n"
               "[Desktop Entry]\nName=Browser\nExec[de]=falsch\nTryExec=browser\n"
               "Exec = my\\sbrowser \"a\\\\\\\\b\" %u\n");
    file.close();
    EXPECT_EQ(ReadExecLine(file.fileName()), QStringLiteral("my browser \"a\\\\b\" %u"));
    EXPECT_EQ(BrowserCommand(ReadExecLine(file.fileName()), kAddress), QStringList({"my", "browser", "a\\b", kAddress}));
    EXPECT_EQ(ReadExecLine(folder.file(QStringLiteral("missing.desktop"))), QString());
}

// A desktop that refuses the URL handler and records what the fallback starts.
struct FakeDesktop {
    bool urlHandlerWorks = false;
    QString defaultHandler = QStringLiteral("browser.desktop");
    QString execLine = QStringLiteral("no-such-browser-here --flag %u --later");
    bool startWorks = true;
    std::optional<QUrl> openedUrl;
    std::optional<QStringList> started;

    DesktopLinkServices Services()
    {
        return {
            [this](const QUrl& url) {
                openedUrl = url;
                return urlHandlerWorks;
            },
            [this] { return defaultHandler; },
            [this](const QString& id) { return id == defaultHandler ? execLine : QString(); },
            [this](const QString& program, const QStringList& arguments) {
                started = QStringList{program} + arguments;
                return startWorks;
            },
        };
    }
};

TEST(OpenLinkTest, TheUrlHandlerComesFirst)
{
    FakeDesktop desktop;
    desktop.urlHandlerWorks = true;
    EXPECT_EQ(OpenLink(kAddress, desktop.Services()), kLinkOpened);
    EXPECT_EQ(desktop.openedUrl, QUrl(kAddress));
    EXPECT_FALSE(desktop.started.has_value());
}

TEST(OpenLinkTest, TheFallbackStartsTheDefaultBrowserWithTheAddress)
{
    FakeDesktop desktop;
    EXPECT_EQ(OpenLink(kAddress, desktop.Services()), kLinkOpened);
    EXPECT_EQ(desktop.started, QStringList({"no-such-browser-here", "--flag", kAddress}));
}

TEST(OpenLinkTest, FailuresMapToTheShellsCodes)
{
    struct Case {
        const char* what;
        QString handler;
        QString execLine;
        bool startWorks;
        int expected;
    };
    const QString browser = QStringLiteral("browser.desktop");
    const Case cases[] = {
        {"no default browser", QString(), QStringLiteral("x %u"), true, kLinkNoAssociation},
        {"no Exec line", browser, QString(), true, kLinkNoAssociation},
        {"program missing", browser, QStringLiteral("no-such-browser-here %u"), false, kLinkFileNotFound},
        {"program refuses to start", browser, QStringLiteral("/bin/sh %u"), false, kLinkAccessDenied},
    };
    for (const Case& c : cases) {
        FakeDesktop desktop;
        desktop.defaultHandler = c.handler;
        desktop.execLine = c.execLine;
        desktop.startWorks = c.startWorks;
        EXPECT_EQ(OpenLink(kAddress, desktop.Services()), c.expected) << c.what;
    }
}
}  // namespace
