#include "app/SourceDialogFixture.h"
#include "sources/avi/AviTestVideo.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QSlider>
#include <QTest>
#include <QUrl>

namespace {

const QString kLoadingError = QStringLiteral("Source file loading error:");
const QString kCameraConnected =
    QStringLiteral("A camera is connected.\r\nPress \"Del Cam\" before dropping a file to open.");

// Recordings and pictures as phones and browsers write them, on the real dialog.
class MediaFileDialogTest : public SourceDialogFixture {
protected:
    QString WriteVideo(const QString& name, int frameCount, const QStringList& arguments)
    {
        const QString path = m_files.file(name);
        const QString error = WriteTestPattern(320, 240, frameCount, arguments, path);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        return path;
    }
    QString WritePhoneVideo() { return WriteVideo("phone.mp4", 20, {"-c:v", "libx264", "-bf", "2", "-g", "8"}); }
    QString WritePicture() { return WriteVideo("still.png", 1, {}); }

    void Open(const QString& path)
    {
        Click(IDC_AVI_FILE);
        m_onFileDialog = [path](QFileDialog& dialog) { return ChooseFile(dialog, path); };
        Click(IDC_ADD_CAM);
    }

    // Drags data over the dialog and drops it; whether the drag was accepted.
    bool Drop(QMimeData& data)
    {
        const QPoint centre = Dialog().rect().center();
        QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&Dialog(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(QPointF(centre), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&Dialog(), &drop);
        return drop.isAccepted();
    }
    bool DropFile(const QString& path)
    {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        return Drop(data);
    }

    QString Counter() { return Dialog().controlAs<QLineEdit>(IDC_FRAME_COUNTER)->text(); }
    QSlider& Slider() { return *Dialog().controlAs<QSlider>(IDC_FRAME_SLIDER); }
    QAbstractButton& Button(int id) { return *Dialog().controlAs<QAbstractButton>(id); }

    void TypeAndLeave(int id, const QString& text)
    {
        auto* edit = Dialog().controlAs<QLineEdit>(id);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Tab);
    }

    // Lets queued work (the paused frame's redraw) run.
    static void Settle() { QTest::qWait(20); }

    TempFolder m_files;
};

TEST_F(MediaFileDialogTest, TheOpenDialogAlsoOffersEveryVideoAndPicture)
{
    QStringList filters;
    m_onFileDialog = [&](QFileDialog& dialog) {
        filters = dialog.nameFilters();
        return int(QDialog::Rejected);
    };
    Click(IDC_AVI_FILE);
    Click(IDC_ADD_CAM);
    ASSERT_EQ(filters.size(), 4);
    EXPECT_EQ(filters[0], QStringLiteral("AVI Files (*.avi)"));
    EXPECT_EQ(filters[2], QStringLiteral("BMP File (*.bmp)"));
    EXPECT_EQ(filters[3], QStringLiteral("All Files (*.*)"));
    for (const char* pattern : {"*.mp4", "*.MP4", "*.mov", "*.MOV", "*.mkv", "*.webm", "*.ts", "*.png", "*.jpg",
                                "*.jpeg", "*.bmp", "*.tiff", "*.webp", "*.avi"})
        EXPECT_TRUE(filters[1].split(QRegularExpression("[ ()]")).contains(pattern)) << pattern;
}

TEST_F(MediaFileDialogTest, APhoneRecordingOpensWithEveryFrameOnTheSlider)
{
    Open(WritePhoneVideo());
    EXPECT_TRUE(m_messages.isEmpty());
    EXPECT_EQ(Counter(), QStringLiteral("0/19"));
    EXPECT_EQ(Text(IDC_ADD_CAM), QStringLiteral("Snapshot"));
    const QImage first = Picture();
    Slider().setValue(10);
    EXPECT_EQ(Counter(), QStringLiteral("10/19"));
    EXPECT_NE(Picture(), first);
    Slider().setValue(0);
    EXPECT_EQ(Picture(), first) << "seeking back shows the first frame again";
}

TEST_F(MediaFileDialogTest, APictureIsAFileOfOneFrameThatPlayHarmlesslyLeaves)
{
    Open(WritePicture());
    EXPECT_TRUE(m_messages.isEmpty());
    EXPECT_EQ(Counter(), QStringLiteral("0/0"));
    EXPECT_EQ(Slider().maximum(), 0);
    const QImage shown = Picture();
    Click(IDC_CAM_SETUP);
    EXPECT_EQ(Text(IDC_CAM_SETUP), QStringLiteral("Stop"));
    EXPECT_TRUE(WaitFor([&] { return Text(IDC_CAM_SETUP) == QStringLiteral("Play"); }));
    EXPECT_EQ(Counter(), QStringLiteral("0/0"));
    EXPECT_EQ(Picture(), shown);
}

TEST_F(MediaFileDialogTest, ADroppedFileOpensInFileModeAsOpenWould)
{
    ASSERT_TRUE(Button(IDC_WEB_CAMERA).isChecked());
    EXPECT_TRUE(DropFile(WritePhoneVideo()));
    EXPECT_TRUE(m_messages.isEmpty());
    EXPECT_TRUE(Button(IDC_AVI_FILE).isChecked());
    EXPECT_EQ(Text(IDC_ADD_CAM), QStringLiteral("Snapshot"));
    EXPECT_EQ(Text(IDC_CAM_SETUP), QStringLiteral("Play"));
    EXPECT_TRUE(Enabled(IDC_CAM_SETUP));
    EXPECT_FALSE(Enabled(IDC_AVI_FILE));
    EXPECT_TRUE(Shown(IDC_FRAME_SLIDER));
    EXPECT_EQ(Counter(), QStringLiteral("0/19"));
    const QImage video = Picture();

    // A second drop replaces the first file; one that cannot be loaded leaves it.
    EXPECT_TRUE(DropFile(WritePicture()));
    EXPECT_EQ(Counter(), QStringLiteral("0/0"));
    const QImage picture = Picture();
    EXPECT_NE(picture, video);
    const QString broken = m_files.file("broken.mp4");
    WriteFileBytes(broken, "not a video");
    DropFile(broken);
    EXPECT_EQ(m_messages, QStringList({"Invalid file format!", kLoadingError + broken}));
    EXPECT_EQ(Counter(), QStringLiteral("0/0"));
    EXPECT_EQ(Picture(), picture);
    EXPECT_EQ(Text(IDC_ADD_CAM), QStringLiteral("Snapshot"));
}

TEST_F(MediaFileDialogTest, DroppingWhatIsNotAFileDoesNothing)
{
    QMimeData text;
    text.setText(QStringLiteral("just some words"));
    QMimeData link;
    link.setUrls({QUrl(QStringLiteral("https://example.com/video.mp4"))});
    QMimeData folder;
    folder.setUrls({QUrl::fromLocalFile(m_files.path())});
    for (QMimeData* data : {&text, &link, &folder})
        EXPECT_FALSE(Drop(*data));
    EXPECT_TRUE(m_messages.isEmpty());
    EXPECT_TRUE(Button(IDC_WEB_CAMERA).isChecked());
    EXPECT_EQ(Text(IDC_ADD_CAM), QStringLiteral("Add Cam"));
}

TEST_F(MediaFileDialogTest, ADropWhileACameraIsConnectedIsRefused)
{
    qputenv("VIZMAR_CAMERA", "virtual");
    Click(IDC_ADD_CAM);
    qunsetenv("VIZMAR_CAMERA");
    ASSERT_EQ(Text(IDC_ADD_CAM), QStringLiteral("Snapshot"));
    DropFile(WritePicture());
    EXPECT_EQ(m_messages, QStringList{kCameraConnected});
    EXPECT_TRUE(Button(IDC_WEB_CAMERA).isChecked());
    EXPECT_EQ(Text(IDC_DELETE_CAM), QStringLiteral("Del Cam"));
    Click(IDC_DELETE_CAM);
}

// A change of the colour range or an option shows the paused frame again at once.
TEST_F(MediaFileDialogTest, TuningOnAPausedFrameRedrawsAtOnce)
{
    const QString files[] = {WritePicture(), WritePhoneVideo()};
    const QString hues[] = {QStringLiteral("200"), QStringLiteral("100")};
    for (int file = 0; file < 2; ++file) {
        const QString& path = files[file];
        SCOPED_TRACE(path.toStdString());
        Click(IDC_AVI_FILE);
        Open(path);
        if (Slider().maximum() > 0)
            Slider().setValue(7);
        const QImage unmasked = Picture();

        QTest::mouseClick(&Button(IDC_MASK), Qt::LeftButton);
        Settle();
        const QImage masked = Picture();
        EXPECT_NE(masked, unmasked) << "the mask shows";

        // A narrow band of hues: the width counts from the next colour change on.
        TypeAndLeave(IDC_HUE_WIDTH, QStringLiteral("20"));
        TypeAndLeave(IDC_HUE, hues[file]);
        Settle();
        EXPECT_NE(Picture(), masked) << "the new range shows";

        QTest::mouseClick(&Button(IDC_MASK), Qt::LeftButton);
        Settle();
        EXPECT_EQ(Picture(), unmasked);
        Click(IDC_DELETE_CAM);
    }
}

void Toggle(QWidget& widget)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&widget);
    ASSERT_NE(accessible, nullptr);
    ASSERT_NE(accessible->actionInterface(), nullptr);
    accessible->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
}

// Assistive technology's "Toggle" does what a click does.
TEST_F(MediaFileDialogTest, TheToggleActionOnEachOptionAndSourceButtonActsAsAClick)
{
    EXPECT_FALSE(Enabled(IDC_EROSION));
    Toggle(Button(IDC_MASK));
    EXPECT_TRUE(Button(IDC_MASK).isChecked());
    EXPECT_TRUE(Enabled(IDC_EROSION)) << "a mask can be eroded";

    Toggle(Button(IDC_AVI_FILE));
    EXPECT_TRUE(Button(IDC_AVI_FILE).isChecked());
    EXPECT_EQ(Text(IDC_ADD_CAM), QStringLiteral("Open"));
    EXPECT_TRUE(Shown(IDC_FRAME_SLIDER));
    Toggle(Button(IDC_WEB_CAMERA));
    EXPECT_EQ(Text(IDC_ADD_CAM), QStringLiteral("Add Cam"));
    EXPECT_FALSE(Shown(IDC_FRAME_SLIDER));

    // On a paused picture, erosion and the lens change what is shown, as clicks would.
    Open(WritePicture());
    QImage before = Picture();
    for (const int id : {IDC_EROSION, IDC_LENS}) {
        SCOPED_TRACE(id);
        Toggle(Button(id));
        Settle();
        const QImage toggled = Picture();
        EXPECT_NE(toggled, before);
        Toggle(Button(id));
        Settle();
        EXPECT_EQ(Picture(), before);
        QTest::mouseClick(&Button(id), Qt::LeftButton);
        Settle();
        EXPECT_EQ(Picture(), toggled) << "a click does the same";
        QTest::mouseClick(&Button(id), Qt::LeftButton);
        Settle();
    }
    Toggle(Button(IDC_MASK));
    Settle();
    EXPECT_FALSE(Enabled(IDC_EROSION));
}

}  // namespace
