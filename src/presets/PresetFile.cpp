#include "presets/PresetFile.h"

#include "controls/LeadingInteger.h"

#include <QSaveFile>

#include <optional>

namespace {
// A line is read into a buffer of 1024 bytes, one of them for the terminating zero.
constexpr qsizetype kLineReadLimit = 1023;
constexpr int kValueCount = 6;

bool IsSeparator(char c)
{
    return c == ' ' || c == ',' || c == '\t' || c == '\r' || c == '\n';
}

std::vector<QByteArrayView> Tokens(QByteArrayView line)
{
    std::vector<QByteArrayView> tokens;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= line.size(); ++i) {
        if (i == line.size() || IsSeparator(line[i])) {
            if (i > start)
                tokens.push_back(line.sliced(start, i - start));
            start = i + 1;
        }
    }
    return tokens;
}

// The text between a header's brackets, without the double quotes that may enclose it.
QByteArrayView SectionName(QByteArrayView bracketed)
{
    if (!bracketed.startsWith('"'))
        return bracketed;
    const QByteArrayView quoted = bracketed.sliced(1);
    const qsizetype closingQuote = quoted.indexOf('"');
    return closingQuote < 0 ? quoted : quoted.first(closingQuote);
}

// Reads a file's lines in order and collects the finished sections.
class PresetParser {
public:
    void Read(QByteArrayView line)
    {
        if (line.startsWith(';') || line.startsWith('/') || line.size() < 2)
            return;
        const qsizetype closingBracket = line.startsWith('[') ? line.indexOf(']', 1) : -1;
        if (closingBracket > 0)
            StartSection(SectionName(line.sliced(1, closingBracket - 1)));
        else if (m_current)
            ReadValues(line);
    }

    std::vector<PresetEntry> Finish()
    {
        EndSection();
        return std::move(m_presets);
    }

private:
    void StartSection(QByteArrayView name)
    {
        EndSection();
        if (!name.isEmpty())
            m_current = PresetEntry{QString::fromLatin1(name), {}};
    }

    void ReadValues(QByteArrayView line)
    {
        const std::vector<QByteArrayView> tokens = Tokens(line);
        if (tokens.size() < kValueCount) {
            m_current.reset();
            return;
        }
        int32_t values[kValueCount];
        for (int i = 0; i < kValueCount; ++i)
            values[i] = LeadingInteger(QString::fromLatin1(tokens[i]));
        m_current->range = {values[0], values[1], values[2], values[3], values[4], values[5]};
        m_hasValues = true;
    }

    void EndSection()
    {
        if (m_current && m_hasValues)
            m_presets.push_back(std::move(*m_current));
        m_current.reset();
        m_hasValues = false;
    }

    std::optional<PresetEntry> m_current;
    bool m_hasValues = false;
    std::vector<PresetEntry> m_presets;
};

// The pieces in which a text-mode line reader hands the content over: CR LF arrives as one
// line end, a piece ends after its line end or after 1023 bytes, and a zero byte ends the
// piece's text as it ends a C string.
std::vector<QByteArrayView> LineReads(QByteArrayView text)
{
    std::vector<QByteArrayView> reads;
    while (!text.isEmpty()) {
        const qsizetype lineEnd = text.first(std::min(text.size(), kLineReadLimit)).indexOf('\n');
        const qsizetype length = lineEnd >= 0 ? lineEnd + 1 : std::min(text.size(), kLineReadLimit);
        const QByteArrayView read = text.first(length);
        const qsizetype zero = read.indexOf('\0');
        reads.push_back(zero >= 0 ? read.first(zero) : read);
        text = text.sliced(length);
    }
    return reads;
}
}  // namespace

std::vector<PresetEntry> ParsePresetFile(const QByteArray& content)
{
    QByteArray text = content;
    text.replace("\r\n", "\n");
    PresetParser parser;
    for (const QByteArrayView line : LineReads(text))
        parser.Read(line);
    return parser.Finish();
}

QByteArray FormatPresetFile(std::span<const PresetEntry> presets)
{
    QByteArray content;
    for (const PresetEntry& preset : presets) {
        const StoredColourRange& r = preset.range;
        content += '[' + preset.name.toLatin1() + "]\r\n";
        content += QString::asprintf("%d,%d,%d,%d,%d,%d\r\n", r.h0, r.h1, r.s0, r.s1, r.v0, r.v1).toLatin1();
    }
    return content;
}

bool WritePresetFile(const QString& path, const QByteArray& content)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // The last buffered bytes are written by flush; a failure there must stop the commit,
    // which would otherwise put the cut-short file in place of the old one.
    if (file.write(content) != content.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
