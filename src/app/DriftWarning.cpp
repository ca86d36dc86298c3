#include "app/DriftWarning.h"

#include "imaging/Pipeline.h"
#include "sources/CameraSource.h"
#include "sources/SourceWidgets.h"

#include <chrono>

namespace {
constexpr std::chrono::milliseconds kCheckInterval{1000};

// "A", "A" and "B", "A", "B" and "C".
QString QuotedList(const QStringList& names)
{
    QStringList quoted;
    for (const QString& name : names)
        quoted.append(QLatin1Char('"') + name + QLatin1Char('"'));
    const QString last = quoted.takeLast();
    return quoted.isEmpty() ? last : quoted.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}
}  // namespace

DriftWarning::DriftWarning(QWidget& display, const PipelineOptions& options, const CameraSource& cameras)
    : QLabel(&display), m_options(options), m_cameras(cameras)
{
    setAccessibleName(QStringLiteral("Drift warning"));
    setWordWrap(true);
    setContentsMargins(4, 2, 4, 2);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(0, 0, 0, 190));
    colours.setColor(QPalette::WindowText, QColor(255, 214, 64));
    setPalette(colours);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
    m_check.setInterval(kCheckInterval);
    connect(&m_check, &QTimer::timeout, this, &DriftWarning::Update);
    m_check.start();
}

void DriftWarning::Update()
{
    const CCamObj* camera = m_cameras.ConnectedCamera();
    CaptureControlDevice* controls = camera != nullptr ? camera->Controls() : nullptr;
    const QString text = m_options.mask && controls != nullptr ? DriftWarningText(controls->ReadControls()) : QString();
    if (text.isEmpty()) {
        hide();
        return;
    }
    setText(text);
    PlaceAtBottom();
    show();
}

void DriftWarning::PlaceAtBottom()
{
    const int width = parentWidget()->width();
    const int height = heightForWidth(width);
    setGeometry(0, parentWidget()->height() - height, width, height);
}

QString DriftWarningText(const std::vector<CaptureControl>& controls)
{
    QStringList automatic;
    for (const CaptureControl& control : controls) {
        if (control.automaticModeOn)
            automatic.append(control.name);
    }
    if (automatic.isEmpty())
        return {};
    const bool one = automatic.size() == 1;
    return QStringLiteral("The range will drift: %1 %2 on. Switch %3 off with %4.")
        .arg(QuotedList(automatic), one ? QStringLiteral("is") : QStringLiteral("are"),
             one ? QStringLiteral("it") : QStringLiteral("them"), QuotedList({kCamSetupLabel}));
}
