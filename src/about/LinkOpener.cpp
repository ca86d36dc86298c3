#include "about/LinkOpener.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>

namespace {
const QStringList kPlaceholders{QStringLiteral("%u"), QStringLiteral("%U"), QStringLiteral("%f"), QStringLiteral("%F"),
                                QStringLiteral("%1")};

// Where the earliest placeholder written as `pattern` (with %1 standing for the placeholder) begins.
qsizetype EarliestPlaceholder(const QString& command, const QString& pattern)
{
    qsizetype earliest = -1;
    for (const QString& placeholder : kPlaceholders) {
        const qsizetype at = command.indexOf(pattern.arg(placeholder));
        if (at >= 0 && (earliest < 0 || at < earliest))
            earliest = at;
    }
    return earliest;
}

QString CutAtPlaceholder(const QString& command)
{
    qsizetype cut = EarliestPlaceholder(command, QStringLiteral("\"%1\""));
    if (cut < 0)
        cut = EarliestPlaceholder(command, QStringLiteral("%1"));
    return cut < 0 ? command : command.left(cut);
}

// Splits at blanks outside double quotes; inside them a backslash takes the next character as it is.
QStringList SplitArguments(const QString& command)
{
    QStringList arguments;
    QString current;
    bool inArgument = false;
    bool quoted = false;
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command.at(i);
        if (quoted && c == QLatin1Char('\\') && i + 1 < command.size()) {
            current += command.at(++i);
        } else if (c == QLatin1Char('"')) {
            quoted = !quoted;
            inArgument = true;
        } else if (!quoted && c.isSpace()) {
            if (inArgument)
                arguments << current;
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument)
        arguments << current;
    return arguments;
}

// Field codes other than the placeholder (%i, %c, %k, ...) stand for nothing here; "%%" is a percent sign.
QStringList WithoutFieldCodes(const QStringList& arguments)
{
    QStringList kept;
    for (const QString& argument : arguments) {
        if (argument.size() == 2 && argument.at(0) == QLatin1Char('%') && argument.at(1) != QLatin1Char('%'))
            continue;
        kept << QString(argument).replace(QStringLiteral("%%"), QStringLiteral("%"));
    }
    return kept;
}

QString UnescapeDesktopString(const QString& value)
{
    QString result;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value.at(i) != QLatin1Char('\\') || i + 1 == value.size()) {
            result += value.at(i);
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
        case 's': result += QLatin1Char(' '); break;
        case 'n': result += QLatin1Char('\n'); break;
        case 't': result += QLatin1Char('\t'); break;
        case 'r': result += QLatin1Char('\r'); break;
        case '\\': result += QLatin1Char('\\'); break;
        default: result += QLatin1Char('\\'); result += next; break;
        }
    }
    return result;
}

QString QueryDefaultHtmlHandler()
{
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/html")});
    if (!query.waitForFinished(5000) || query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return {};
    return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
}

QString ExecLineOfDesktopId(const QString& desktopId)
{
    const QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopId);
    return path.isEmpty() ? QString() : ReadExecLine(path);
}

bool IsStartable(const QString& program)
{
    return !QStandardPaths::findExecutable(program).isEmpty() || QFileInfo(program).isExecutable();
}
}  // namespace

DesktopLinkServices DesktopLinkServices::System()
{
    return {
        [](const QUrl& url) { return QDesktopServices::openUrl(url); },
        QueryDefaultHtmlHandler,
        ExecLineOfDesktopId,
        [](const QString& program, const QStringList& arguments) {
            return QProcess::startDetached(program, arguments);
        },
    };
}

int OpenLink(const QString& address, const DesktopLinkServices& services)
{
    if (services.openUrl(QUrl::fromUserInput(address)))
        return kLinkOpened;
    const QString handler = services.defaultHtmlHandler();
    if (handler.isEmpty())
        return kLinkNoAssociation;
    const QStringList command = BrowserCommand(services.execLineOf(handler), address);
    if (command.isEmpty())
        return kLinkNoAssociation;
    if (services.startDetached(command.first(), command.mid(1)))
        return kLinkOpened;
    return IsStartable(command.first()) ? kLinkAccessDenied : kLinkFileNotFound;
}

QStringList BrowserCommand(const QString& execLine, const QString& address)
{
    QStringList command = WithoutFieldCodes(SplitArguments(CutAtPlaceholder(execLine)));
    if (command.isEmpty())
        return {};
    command << address;
    return command;
}

QString ReadExecLine(const QString& desktopFilePath)
{
    QFile file(desktopFilePath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream lines(&file);
    bool inDesktopEntry = false;
    while (!lines.atEnd()) {
        const QString line = lines.readLine().trimmed();
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (line.startsWith(QLatin1Char('[')))
            inDesktopEntry = line == QLatin1String("[Desktop Entry]");
        else if (inDesktopEntry && equals > 0 && line.left(equals).trimmed() == QLatin1String("Exec"))
            return UnescapeDesktopString(line.mid(equals + 1).trimmed());
    }
    return {};
}
