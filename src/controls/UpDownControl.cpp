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
    , m_upButton(MakeArrowButton(Qt::UpArrow, QStringLiteral("Up"), +1))
    , m_downButton(MakeArrowButton(Qt::DownArrow, QStringLiteral("Down"), -1))
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
        if (m_buddy)
            m_buddy->setFocus(Qt::MouseFocusReason);
    });
    connect(button, &QToolButton::clicked, this, [this, delta] { Step(delta); });
    return button;
}

void UpDownControl::SetBuddy(QLineEdit* buddy)
{
    if (m_buddy)
        m_buddy->removeEventFilter(this);
    m_buddy = buddy;
    if (!m_buddy)
        return;
    m_buddy->installEventFilter(this);
    // The arrows cover the edit's right border rather than sit beside it, as on Windows.
    const int overlap = m_buddy->hasFrame() ? kBuddyBorderOverlap : 0;
    QRect edit = m_buddy->geometry();
    edit.setWidth(std::max(0, edit.width() - width() + overlap));
    m_buddy->setGeometry(edit);
    setGeometry(edit.right() + 1 - overlap, edit.top(), width(), edit.height());
    raise();
}

void UpDownControl::SetRange(int lower, int upper)
{
    m_lower = lower;
    m_upper = upper;
}

void UpDownControl::SetPos(int position)
{
    m_pos = std::clamp(position, std::min(m_lower, m_upper), std::max(m_lower, m_upper));
    WriteBuddyText();
}

UpDownPosition UpDownControl::GetPos()
{
    if (!m_buddy)
        return {m_pos, false};
    const std::optional<int> typed = ParseWholeNumber(m_buddy->text());
    const bool inRange = typed && *typed >= std::min(m_lower, m_upper) && *typed <= std::max(m_lower, m_upper);
    if (!inRange)
        return {m_pos, true};
    m_pos = *typed;
    return {m_pos, false};
}

void UpDownControl::Step(int delta)
{
    GetPos();
    const int before = m_pos;
    SetPos(m_pos + delta);
    if (m_pos != before)
        emit positionChanged(m_pos);
}

void UpDownControl::WriteBuddyText()
{
    if (m_buddy)
        m_buddy->setText(QString::number(m_pos));
}

bool UpDownControl::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_buddy && event->type() == QEvent::KeyPress) {
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
    m_upButton->setGeometry(0, 0, width(), upperHalf);
    m_downButton->setGeometry(0, upperHalf, width(), height() - upperHalf);
}
