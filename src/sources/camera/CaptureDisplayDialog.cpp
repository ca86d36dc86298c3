#include "sources/camera/CaptureDisplayDialog.h"

#include "sources/camera/FormDialogLayout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>

#include <algorithm>

CaptureDisplayDialog::CaptureDisplayDialog(QWidget* parent, std::vector<CaptureControl> controls, ApplyControl apply)
    : QDialog(parent), m_controls(std::move(controls)), m_apply(std::move(apply))
{
    setWindowTitle(QStringLiteral("Video Display"));
    auto* form = new QFormLayout;
    for (const CaptureControl& control : m_controls) {
        QWidget* editor = MakeEditor(control);
        if (control.kind == CaptureControl::Kind::Boolean)
            form->addRow(editor);
        else
            form->addRow(control.name + QLatin1Char(':'), editor);
    }
    if (m_controls.empty())
        form->addRow(new QLabel(QStringLiteral("This device has no adjustable controls."), this));

    LayOutFormWithOkCancel(*this, form);
}

void CaptureDisplayDialog::reject()
{
    for (const CaptureControl& control : m_controls)
        m_apply(control.id, control.value);
    QDialog::reject();
}

QWidget* CaptureDisplayDialog::MakeEditor(const CaptureControl& control)
{
    switch (control.kind) {
    case CaptureControl::Kind::Boolean: return MakeCheckBox(control);
    case CaptureControl::Kind::Menu: return MakeMenu(control);
    case CaptureControl::Kind::Integer: break;
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
    slider->setValue(control.value);
    auto* readout = new QLabel(QString::number(control.value), row);
    readout->setAccessibleName(control.name + QStringLiteral(" value"));
    readout->setMinimumWidth(readout->fontMetrics().horizontalAdvance(QStringLiteral("-00000")));
    connect(slider, &QSlider::valueChanged, this, [this, readout, id = control.id](int value) {
        readout->setNum(value);
        m_apply(id, value);
    });
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
    box->setChecked(control.value != 0);
    connect(box, &QCheckBox::toggled, this, [this, id = control.id](bool checked) { m_apply(id, checked ? 1 : 0); });
    return box;
}

QWidget* CaptureDisplayDialog::MakeMenu(const CaptureControl& control)
{
    auto* box = new QComboBox(this);
    box->setAccessibleName(control.name);
    for (const auto& [value, name] : control.menuItems) {
        box->addItem(name, value);
        if (value == control.value)
            box->setCurrentIndex(box->count() - 1);
    }
    connect(box, &QComboBox::currentIndexChanged, this,
            [this, box, id = control.id](int index) { m_apply(id, box->itemData(index).toInt()); });
    return box;
}
