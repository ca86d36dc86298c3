#include "sources/camera/CaptureDisplayDialog.h"

#include "sources/camera/FormDialogLayout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

#include <algorithm>
#include <cstring>

namespace {

QString RefusalText(const QString& name, int32_t value, int error)
{
    return QStringLiteral("The camera refused %1 for \"%2\" (%3).")
        .arg(value)
        .arg(name, QString::fromLocal8Bit(std::strerror(error)));
}

}  // namespace

CaptureDisplayDialog::CaptureDisplayDialog(QWidget* parent, const QString& deviceName, CaptureControlDevice& device)
    : QDialog(parent), m_device(device), m_controls(device.ReadControls())
{
    setWindowTitle(QStringLiteral("Video Display - %1").arg(deviceName));
    auto* form = new QFormLayout;
    for (const CaptureControl& control : m_controls) {
        if (control.kind == CaptureControl::Kind::Heading) {
            auto* heading = new QLabel(QStringLiteral("<b>%1</b>").arg(control.name.toHtmlEscaped()), this);
            heading->setAccessibleName(control.name);
            form->addRow(heading);
            continue;
        }
        QWidget* editor = MakeEditor(control);
        m_editors[control.id] = editor;
        if (control.kind == CaptureControl::Kind::Boolean || control.kind == CaptureControl::Kind::Button)
            form->addRow(editor);
        else
            form->addRow(control.name + QLatin1Char(':'), editor);
        ShowControl(control);
    }
    if (m_editors.empty())
        form->addRow(new QLabel(QStringLiteral("This device has no adjustable controls."), this));
    m_status = new QLabel(this);
    m_status->setAccessibleName(QStringLiteral("Status"));
    m_status->setWordWrap(true);
    form->addRow(m_status);

    QDialogButtonBox* buttons = LayOutFormWithOkCancel(*this, form);
    QPushButton* defaults = buttons->addButton(QStringLiteral("Defaults"), QDialogButtonBox::ResetRole);
    defaults->setAccessibleName(QStringLiteral("Defaults"));
    defaults->setEnabled(std::any_of(m_controls.begin(), m_controls.end(), [](const auto& c) { return c.Writable(); }));
    connect(defaults, &QPushButton::clicked, this, &CaptureDisplayDialog::SetDefaults);
}

void CaptureDisplayDialog::reject()
{
    WriteControlValues(m_device, ControlValues(m_originals.rbegin(), m_originals.rend()));
    QDialog::reject();
}

QWidget* CaptureDisplayDialog::MakeEditor(const CaptureControl& control)
{
    switch (control.kind) {
    case CaptureControl::Kind::Boolean: return MakeCheckBox(control);
    case CaptureControl::Kind::Menu:
    case CaptureControl::Kind::IntegerMenu: return MakeMenu(control);
    case CaptureControl::Kind::Button: return MakeButton(control);
    case CaptureControl::Kind::Integer:
    case CaptureControl::Kind::Heading: break;
    }
    return MakeSlider(control);
}

QWidget* CaptureDisplayDialog::MakeSlider(const CaptureControl& control)
{
    auto* row = new QWidget(this);
    auto* slider = new QSlider(Qt::Horizontal, row);
    slider->setAccessibleName(control.name);
    slider->setRange(control.minimum, control.maximum);
    slider->setSingleStep(std::max(control.step, 1));
    slider->setPageStep(std::max(control.step, 1));
    auto* readout = new QLabel(row);
    readout->setAccessibleName(control.name + QStringLiteral(" value"));
    readout->setMinimumWidth(readout->fontMetrics().horizontalAdvance(QStringLiteral("-00000")));
    connect(slider, &QSlider::valueChanged, this, [this, id = control.id](int value) { Write(id, value); });
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(slider);
    layout->addWidget(readout);
    return row;
}

QWidget* CaptureDisplayDialog::MakeCheckBox(const CaptureControl& control)
{
    auto* box = new QCheckBox(control.name, this);
    box->setAccessibleName(control.name);
    connect(box, &QCheckBox::toggled, this, [this, id = control.id](bool checked) { Write(id, checked ? 1 : 0); });
    return box;
}

QWidget* CaptureDisplayDialog::MakeMenu(const CaptureControl& control)
{
    auto* box = new QComboBox(this);
    box->setAccessibleName(control.name);
    for (const auto& [value, name] : control.menuItems)
        box->addItem(name, value);
    connect(box, &QComboBox::currentIndexChanged, this,
            [this, box, id = control.id](int index) { Write(id, box->itemData(index).toInt()); });
    return box;
}

// A button acts once; it has no value to keep or put back.
QWidget* CaptureDisplayDialog::MakeButton(const CaptureControl& control)
{
    auto* button = new QPushButton(control.name, this);
    button->setAccessibleName(control.name);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, id = control.id, name = control.name] {
        if (const int error = m_device.WriteControl(id, 1); error != 0)
            m_status->setText(RefusalText(name, 1, error));
        ReadBack();
    });
    return button;
}

void CaptureDisplayDialog::Write(uint32_t id, int32_t value)
{
    RememberOriginal(id);
    const int error = m_device.WriteControl(id, value);
    const auto control = std::find_if(m_controls.begin(), m_controls.end(), [id](const auto& c) { return c.id == id; });
    m_status->setText(error != 0 && control != m_controls.end() ? RefusalText(control->name, value, error) : QString());
    ReadBack();
}

void CaptureDisplayDialog::RememberOriginal(uint32_t id)
{
    const bool known = std::any_of(m_originals.begin(), m_originals.end(), [id](const auto& o) { return o.first == id; });
    const auto control = std::find_if(m_controls.begin(), m_controls.end(), [id](const auto& c) { return c.id == id; });
    if (!known && control != m_controls.end() && control->HasValue())
        m_originals.emplace_back(id, control->value);
}

void CaptureDisplayDialog::SetDefaults()
{
    ControlValues defaults;
    for (const CaptureControl& control : m_controls) {
        if (control.Writable() && control.value != control.defaultValue) {
            RememberOriginal(control.id);
            defaults.emplace_back(control.id, control.defaultValue);
        }
    }
    WriteControlValues(m_device, defaults);
    m_status->clear();
    ReadBack();
}

void CaptureDisplayDialog::ReadBack()
{
    std::vector<CaptureControl> now = m_device.ReadControls();
    for (const CaptureControl& control : now)
        ShowControl(control);
    m_controls = std::move(now);
}

// Shows the device's value and flags without writing anything back.
void CaptureDisplayDialog::ShowControl(const CaptureControl& control)
{
    const auto editor = m_editors.find(control.id);
    if (editor == m_editors.end())
        return;
    QWidget* widget = editor->second;
    widget->setEnabled(!control.inactive && !control.readOnly);
    if (auto* box = qobject_cast<QCheckBox*>(widget)) {
        const QSignalBlocker blocker(box);
        box->setChecked(control.value != 0);
    } else if (auto* menu = qobject_cast<QComboBox*>(widget)) {
        const QSignalBlocker blocker(menu);
        menu->setCurrentIndex(menu->findData(control.value));
    } else if (auto* slider = widget->findChild<QSlider*>()) {
        const QSignalBlocker blocker(slider);
        slider->setValue(control.value);
        widget->findChild<QLabel*>()->setNum(control.value);
    }
}
