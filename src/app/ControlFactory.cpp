#include "app/ControlFactory.h"

#include "app/GroupFrame.h"
#include "controls/UpDownControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSlider>

namespace {
QLineEdit* CreateEdit(QWidget* parent, unsigned styles)
{
    auto* edit = new QLineEdit(parent);
    if (styles & kNumber) {
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
        edit->setAlignment(Qt::AlignRight);
    }
    if (styles & kAlignRight)
        edit->setAlignment(Qt::AlignRight);
    if (styles & kAlignCentre)
        edit->setAlignment(Qt::AlignHCenter);
    if (styles & kNoBorder)
        edit->setFrame(false);
    if (styles & kReadOnly) {
        edit->setReadOnly(true);
        // A read-only edit shows the dialog's own background, as on Windows.
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Base, Qt::transparent);
        edit->setPalette(palette);
    }
    return edit;
}

QLabel* CreateLabel(QWidget* parent, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QSlider* CreateTrackbar(QWidget* parent)
{
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setTickPosition(QSlider::NoTicks);
    return slider;
}

QWidget* CreateWidget(QWidget* parent, const ControlTemplate& control)
{
    const QString text = QString::fromLatin1(control.text);
    switch (control.kind) {
    case ControlKind::PushButton: return new QPushButton(text, parent);
    case ControlKind::CheckBox: return new QCheckBox(text, parent);
    case ControlKind::RadioButton: return new QRadioButton(text, parent);
    case ControlKind::GroupBox: return new GroupFrame(text, parent);
    case ControlKind::Label: return CreateLabel(parent, text);
    case ControlKind::Edit: return CreateEdit(parent, control.styles);
    case ControlKind::ComboBox: return new QComboBox(parent);
    case ControlKind::UpDown: return new UpDownControl(parent);
    case ControlKind::Trackbar: return CreateTrackbar(parent);
    }
    return nullptr;
}

// A drop-down list's rectangle includes its open list; closed it is as tall as its font needs.
QRect ClosedComboRect(QWidget* combo, const QRect& rect)
{
    return QRect(rect.topLeft(), QSize(rect.width(), std::min(rect.height(), combo->sizeHint().height())));
}

bool HasCaptionBesideIt(ControlKind kind)
{
    return kind == ControlKind::Label || kind == ControlKind::CheckBox || kind == ControlKind::RadioButton;
}

void Place(QWidget* widget, const ControlTemplate& control, const DialogBaseUnits& units, QWidget* previous)
{
    QRect rect = DialogRectToPixels(control.x, control.y, control.width, control.height, units);
    // The stand-in for the template's font is wider than the original in places; a caption
    // is never cut off, its control grows to the right instead.
    if (HasCaptionBesideIt(control.kind))
        rect.setWidth(std::max(rect.width(), widget->sizeHint().width()));
    if (control.kind == ControlKind::ComboBox) {
        widget->setGeometry(ClosedComboRect(widget, rect));
    } else if (control.kind == ControlKind::UpDown) {
        widget->resize(rect.size());
        auto* spin = static_cast<UpDownControl*>(widget);
        spin->SetBuddy(qobject_cast<QLineEdit*>(previous));
        if (spin->Buddy())
            spin->setAccessibleName(spin->Buddy()->accessibleName());
        else
            spin->setGeometry(rect);
    } else {
        widget->setGeometry(rect);
    }
}
}  // namespace

QHash<int, QWidget*> CreateControls(QWidget* dialog, std::span<const ControlTemplate> controls,
                                    const DialogBaseUnits& units)
{
    QHash<int, QWidget*> byId;
    QWidget* previous = nullptr;
    for (const ControlTemplate& control : controls) {
        QWidget* widget = CreateWidget(dialog, control);
        // Captioned controls are announced by their caption, which follows every relabelling.
        if (control.accessibleName)
            widget->setAccessibleName(QString::fromLatin1(control.accessibleName));
        Place(widget, control, units, previous);
        if (control.styles & kHidden)
            widget->setHidden(true);
        if (control.kind == ControlKind::GroupBox)
            widget->lower();
        if (control.id != kStaticId) {
            widget->setObjectName(QString::number(control.id));
            byId.insert(control.id, widget);
        }
        previous = widget;
    }
    return byId;
}
