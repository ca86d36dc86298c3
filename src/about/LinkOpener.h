#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

// Results of opening a link, in the shell's terms: a result above 32 means success; the
// failures are the codes that the hyperlink's error message explains.
inline constexpr int kLinkOpened = 33;
inline constexpr int kLinkNoAssociation = 31;
inline constexpr int kLinkFileNotFound = 2;
inline constexpr int kLinkAccessDenied = 5;

// What opening a link asks of the desktop. The members default to the real desktop; tests
// replace them to follow the fallback without starting a browser.
struct DesktopLinkServices {
    std::function<bool(const QUrl&)> openUrl;
    // The desktop file id of the default handler of text/html, e.g. "firefox-esr.desktop",
    // or empty when there is none.
    std::function<QString()> defaultHtmlHandler;
    // The Exec line of a desktop file id, or empty when the file or the line is missing.
    std::function<QString(const QString& desktopId)> execLineOf;
    std::function<bool(const QString& program, const QStringList& arguments)> startDetached;

    static DesktopLinkServices System();
};

// Opens the address with the desktop's URL handler; failing that, starts the default web
// browser's command with the address. Returns kLinkOpened or a failure code: the URL
// handler's failure while the fallback cannot be tried, otherwise the fallback's own.
int OpenLink(const QString& address, const DesktopLinkServices& services);

// The browser command of a desktop Exec line for an address: the line is cut where its first
// placeholder begins (%u, %U, %f, %F or %1, a quoted one before a bare one), split into
// arguments as the desktop entry format quotes them, and the address follows as one argument
// of its own. Empty when the line names no program.
QStringList BrowserCommand(const QString& execLine, const QString& address);

// The Exec line of the [Desktop Entry] group of a desktop file, with the file's string
// escapes (\s, \n, \t, \r, \\) undone; empty when the file or the line is missing.
QString ReadExecLine(const QString& desktopFilePath);
