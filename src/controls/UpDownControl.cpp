#include "controls/UpDownControl.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

#include <algorithm>
#include <charconv>
#include <optional>

namespace {
// A whole decimal number, with optional leading blanks and minus sign, and nothing after it.
std::optional<int> ParseWholeNumber(const QString& text)
{
    const QByteArray bytes = text.toLatin1();
    const char* begin = bytes.constData();
    const char* end = begin + bytes.size();
    while (begin != end && (*begin == ' ' || *begin == '\t'))
        ++begin;
    int value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}
}  // namespace

UpDownControl::UpDownControl(QWidget* parent)
    : QWidget(parent)
    , m_pUpButton(MakeArrowButton(Qt::UpArrow, QStringLiteral("Up"), +1))
    , m_pDownButton(MakeArrowButton(Qt::DownArrow, QStringLiteral("Down"), -1))
{
    setFocusPolicy(Qt::NoFocus);
}

QToolButton* UpDownControl::MakeArrowButton(Qt::ArrowType arrow, const QString& name, int delta)
{
    auto* button = new QToolButton(this);
    button->setArrowType(arrow);
    button->setAccessibleName(name);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRepeat(true);
    connect(button, &QToolButton::pressed, this, [this] {
        if (m_pBuddy)
            m_pBuddy->setFocus(Qt::MouseFocusReason);
    });
    connect(button, &QToolButton::clicked, this, [this, delta] { Step(delta); });
    return button;
}

void UpDownControl::SetBuddy(QLineEdit* buddy)
{
    if (m_pBuddy)
        m_pBuddy->removeEventFilter(this);
    m_pBuddy = buddy;
    if (!m_pBuddy)
        return;
    m_pBuddy->installEventFilter(this);
    // The arrows cover the edit's right border rather than sit beside it, as on Windows.
    const int overlap = m_pBuddy->hasFrame() ? kBuddyBorderOverlap : 0;
    QRect edit = m_pBuddy->geometry();
    edit.setWidth(std::max(0, edit.width() - width() + overlap));
    m_pBuddy->setGeometry(edit);
    setGeometry(edit.right() + 1 - overlap, edit.top(), width(), edit.height());
    raise();
}

void UpDownControl::SetRange(int lower, int upper)
{
    m_nLower = lower;
    m_nUpper = upper;
}

void UpDownControl::SetPos(int position)
{
    m_nPos = std::clamp(position, std::min(m_nLower, m_nUpper), std::max(m_nLower, m_nUpper));
    WriteBuddyText();
}

UpDownPosition UpDownControl::GetPos()
{
    if (!m_pBuddy)
        return {m_nPos, false};
    const std::optional<int> typed = ParseWholeNumber(m_pBuddy->text());
    const bool inRange = typed && *typed >= std::min(m_nLower, m_nUpper) && *typed <= std::max(m_nLower, m_nUpper);
    if (!inRange)
        return {m_nPos, true};
    m_nPos = *typed;
    return {m_nPos, false};
}

void UpDownControl::Step(int delta)
{
    GetPos();
    const int before = m_nPos;
    SetPos(m_nPos + delta);
    if (m_nPos != before)
        emit positionChanged(m_nPos);
}

void UpDownControl::WriteBuddyText()
{
    if (m_pBuddy)
        m_pBuddy->setText(QString::number(m_nPos));
}

bool UpDownControl::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pBuddy && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            Step(key->key() == Qt::Key_Up ? +1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void UpDownControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int upperHalf = height() / 2;
    m_pUpButton->setGeometry(0, 0, width(), upperHalf);
    m_pDownButton->setGeometry(0, upperHalf, width(), height() - upperHalf);
}
