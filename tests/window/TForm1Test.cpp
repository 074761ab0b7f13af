#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include <optional>

#include "navigation/CategoryTable.h"
#include "navigation/NavigationState.h"
#include "retrieval/StatusLine.h"
#include "tests/window/WindowTestSupport.h"
#include "ui/window/ErrorReport.h"

namespace {

std::string Address(const std::string& folderAndTag, int page)
{
    return ListingBaseAddress + "/txt/" + folderAndTag + std::to_string(page) + ".htm";
}

std::optional<QString> CaptionOf(const QWidget& widget)
{
    if (const auto* button = qobject_cast<const QAbstractButton*>(&widget))
        return button->text();
    if (const auto* group = qobject_cast<const QGroupBox*>(&widget))
        return group->title();
    if (const auto* label = qobject_cast<const QLabel*>(&widget))
        return label->text();
    if (const auto* entry = qobject_cast<const QAbstractSpinBox*>(&widget))
        return entry->text();
    return std::nullopt;
}

struct Control {
    const char* name;
    const char* kind;
    const char* parent;
    QRect geometry;
    std::optional<QString> caption;
};

const QString Category(const char* utf8)
{
    return QString::fromUtf8(utf8) + QStringLiteral("   ");
}

TEST_F(WindowTest, ControlsHaveTheirKindsPlacesCaptionsAndTabOrder)
{
    EXPECT_EQ(form->objectName(), "Form1");
    EXPECT_EQ(form->windowTitle(), QString::fromUtf8("Mireval TXT小说下载器"));
    EXPECT_EQ(form->size(), QSize(884, 539));
    EXPECT_EQ(form->minimumSize(), form->maximumSize()) << "fixed size";
    EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);

    const Control controls[] = {
        {"suiForm1", "TsuiForm", "Form1", {0, 0, 884, 539}, std::nullopt},
        {"WebBrowser1", "TWebBrowser", "suiForm1", {168, 32, 705, 457}, std::nullopt},
        {"GroupBox1", "QGroupBox", "suiForm1", {8, 24, 153, 465}, QString::fromUtf8("选择图书类型   ")},
        {"suiButton1", "TsuiButton", "GroupBox1", {8, 16, 137, 27}, Category("穿越小说")},
        {"suiButton2", "TsuiButton", "GroupBox1", {8, 56, 137, 27}, Category("言情小说")},
        {"suiButton3", "TsuiButton", "GroupBox1", {8, 96, 137, 27}, Category("玄幻小说")},
        {"suiButton4", "TsuiButton", "GroupBox1", {8, 136, 137, 27}, Category("历史架空")},
        {"suiButton5", "TsuiButton", "GroupBox1", {8, 176, 137, 27}, Category("武侠仙侠")},
        {"suiButton6", "TsuiButton", "GroupBox1", {8, 216, 137, 27}, Category("现代都市")},
        {"suiButton7", "TsuiButton", "GroupBox1", {8, 256, 137, 27}, Category("惊悚悬疑")},
        {"suiButton8", "TsuiButton", "GroupBox1", {8, 296, 137, 27}, Category("影视游戏")},
        {"suiButton9", "TsuiButton", "GroupBox1", {8, 336, 137, 27}, Category("科幻小说")},
        {"suiButton10", "TsuiButton", "GroupBox1", {8, 376, 137, 27}, Category("古典名著")},
        {"suiButton11", "TsuiButton", "GroupBox1", {8, 416, 137, 27}, Category("名人传记")},
        {"Label1", "QLabel", "suiForm1", {168, 504, 201, 13}, QString()},
        {"suiProgressBar1", "TsuiProgressBar", "suiForm1", {376, 504, 150, 12}, std::nullopt},
        {"suiButton13", "TsuiButton", "suiForm1", {536, 504, 49, 19}, QString::fromUtf8("上一页")},
        {"suiButton12", "TsuiButton", "suiForm1", {592, 504, 49, 19}, QString::fromUtf8("下一页")},
        {"Edit1", "TsuiSpinEdit", "suiForm1", {648, 504, 33, 19}, QStringLiteral("1")},
        {"suiButton14", "TsuiButton", "suiForm1", {688, 504, 49, 19}, QString::fromUtf8("转到")},
        {"suiButton15", "TsuiButton", "suiForm1", {744, 496, 129, 27}, QString::fromUtf8("下载  ")},
    };
    for (const Control& expected : controls) {
        SCOPED_TRACE(expected.name);
        const auto* widget = form->findChild<QWidget*>(expected.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_STREQ(widget->metaObject()->className(), expected.kind);
        EXPECT_EQ(widget->parentWidget()->objectName(), expected.parent);
        EXPECT_EQ(widget->geometry(), expected.geometry);
        EXPECT_EQ(CaptionOf(*widget), expected.caption);
    }

    const QStringList tabOrder = {"WebBrowser1", "suiButton1",  "suiButton2",  "suiButton3",  "suiButton4",
                                  "suiButton5",  "suiButton6",  "suiButton7",  "suiButton8",  "suiButton9",
                                  "suiButton10", "suiButton11", "Edit1",       "suiButton12", "suiButton13",
                                  "suiButton14", "suiButton15"};
    QStringList chain;
    QWidget* widget = form->WebBrowser1;
    do {
        if (tabOrder.contains(widget->objectName()) && !chain.contains(widget->objectName()))
            chain << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != form->WebBrowser1);
    EXPECT_EQ(chain, tabOrder);
}

TEST_F(WindowTest, StartsEmptyAndPagingDoesNothingBeforeACategory)
{
    EXPECT_EQ(PaneText(*form->WebBrowser1), QString());
    EXPECT_EQ(form->Label1->text(), QString());
    EXPECT_EQ(form->Edit1->text(), "1");
    EXPECT_EQ(form->suiProgressBar1->value(), form->suiProgressBar1->maximum());
    EXPECT_TRUE(form->suiProgressBar1->isTextVisible());

    // Not even an entry that is no number is looked at.
    form->Edit1->setText("1-2");
    ModalBoxCloser boxes;
    UrlRecorder browser;
    for (QAbstractButton* button : {static_cast<QAbstractButton*>(form->suiButton12), static_cast<QAbstractButton*>(form->suiButton13),
                                    static_cast<QAbstractButton*>(form->suiButton14), static_cast<QAbstractButton*>(form->suiButton15)})
        QTest::mouseClick(button, Qt::LeftButton);

    EXPECT_TRUE(server.Requests().empty());
    EXPECT_TRUE(boxes.seen.empty());
    EXPECT_TRUE(browser.opened.empty());
    EXPECT_EQ(CurrentPageNumber, 0);
    EXPECT_EQ(CurrentListingAddress, "");
    EXPECT_EQ(form->Label1->text(), QString());
    EXPECT_EQ(PaneText(*form->WebBrowser1), QString());
}

TEST_F(WindowTest, EachCategoryButtonShowsThePageOneOfItsListing)
{
    const std::pair<QAbstractButton*, std::string> rows[] = {
        {form->suiButton1, "Chuanyue/Soft_047_"}, {form->suiButton2, "Young/Soft_009_"},
        {form->suiButton3, "Xuanhuan/Soft_011_"}, {form->suiButton4, "Lsjs/Soft_014_"},
        {form->suiButton5, "Wuxia/Soft_010_"},    {form->suiButton6, "Qinggan/Soft_037_"},
        {form->suiButton7, "Kongbu/Soft_012_"},   {form->suiButton8, "Juben/Soft_016_"},
        {form->suiButton9, "Huanxiang/Soft_015_"}, {form->suiButton10, "Gdmz/Soft_035_"},
        {form->suiButton11, "Mrzj/Soft_036_"},
    };
    for (const auto& [button, folderAndTag] : rows) {
        SCOPED_TRACE(folderAndTag);
        server.ClearRequests();
        CurrentPageNumber = 4;  // the choice starts over at page 1
        QTest::mouseClick(button, Qt::LeftButton);

        const std::string address = Address(folderAndTag, 1);
        EXPECT_EQ(server.Requests(), std::vector<std::string>{address});
        EXPECT_EQ(form->Label1->text(), StatusFor(1));
        EXPECT_TRUE(PaneShows(*form->WebBrowser1, QString::fromStdString(address)));
    }
}

TEST_F(WindowTest, NextPreviousAndGoToMoveThroughTheListing)
{
    QTest::mouseClick(form->suiButton3, Qt::LeftButton);
    QTest::mouseClick(form->suiButton12, Qt::LeftButton);
    QTest::mouseClick(form->suiButton12, Qt::LeftButton);
    EXPECT_EQ(form->Label1->text(), StatusFor(3));
    EXPECT_TRUE(PaneShows(*form->WebBrowser1, QString::fromStdString(Address("Xuanhuan/Soft_011_", 3))));

    QTest::mouseClick(form->suiButton13, Qt::LeftButton);
    EXPECT_EQ(form->Label1->text(), StatusFor(2));

    form->Edit1->setText("6");
    QTest::mouseClick(form->suiButton14, Qt::LeftButton);
    EXPECT_EQ(form->Label1->text(), StatusFor(6));
    EXPECT_EQ(form->Edit1->text(), "6");
    EXPECT_TRUE(PaneShows(*form->WebBrowser1, QString::fromStdString(Address("Xuanhuan/Soft_011_", 6))));

    const std::vector<std::string> expected = {Address("Xuanhuan/Soft_011_", 1), Address("Xuanhuan/Soft_011_", 2),
                                               Address("Xuanhuan/Soft_011_", 3), Address("Xuanhuan/Soft_011_", 2),
                                               Address("Xuanhuan/Soft_011_", 6)};
    EXPECT_EQ(server.Requests(), expected);
    EXPECT_EQ(CurrentPageNumber, 6);
}

TEST_F(WindowTest, EnterInThePageEntryNeverGoesToThePage)
{
    QTest::mouseClick(form->suiButton5, Qt::LeftButton);
    form->Edit1->setText("3");
    form->Edit1->setFocus();
    QTest::keyClick(form->Edit1, Qt::Key_Return);
    QTest::keyClick(form->Edit1, Qt::Key_Enter);

    EXPECT_EQ(server.Requests(), std::vector<std::string>{Address("Wuxia/Soft_010_", 1)});
    EXPECT_EQ(CurrentPageNumber, 1);
    EXPECT_EQ(form->Edit1->text(), "3");
    EXPECT_EQ(form->Label1->text(), StatusFor(1));
}

TEST_F(WindowTest, PageEntryTakesDigitsAndMinusAndStepsByOne)
{
    TsuiSpinEdit& entry = *form->Edit1;
    const QPoint upButton(entry.width() - 4, 4);
    const QPoint downButton(entry.width() - 4, entry.height() - 4);
    const struct {
        const char* start;
        std::function<void()> act;
        const char* expected;
    } cases[] = {
        {"12", [&] { QTest::keyClicks(&entry, "a .x+$"); }, "12"},
        {"", [&] { QTest::keyClicks(&entry, "-30"); }, "-30"},
        {"12", [&] { QTest::keyClick(&entry, Qt::Key_Backspace); }, "1"},
        {"5", [&] { QTest::keyClick(&entry, Qt::Key_Up); }, "6"},
        {"5", [&] { QTest::keyClick(&entry, Qt::Key_Down); }, "4"},
        {"0", [&] { QTest::keyClick(&entry, Qt::Key_Down); }, "-1"},
        {"1-2", [&] { QTest::keyClick(&entry, Qt::Key_Up); }, "1"},
        {"7", [&] { QTest::mouseClick(&entry, Qt::LeftButton, {}, upButton); }, "8"},
        {"7", [&] { QTest::mouseClick(&entry, Qt::LeftButton, {}, downButton); }, "6"},
    };
    entry.setFocus();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.start) + " -> " + c.expected);
        entry.setText(QString::fromLatin1(c.start));
        c.act();
        EXPECT_EQ(entry.text(), QString::fromLatin1(c.expected));
    }
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(WindowTest, GoToWithAnEntryThatIsNoNumberReportsAndChangesNothing)
{
    QTest::mouseClick(form->suiButton2, Qt::LeftButton);
    ASSERT_TRUE(PaneShows(*form->WebBrowser1, QString::fromStdString(Address("Young/Soft_009_", 1))));
    const QString paneBefore = PaneText(*form->WebBrowser1);
    form->Edit1->setText("1-2");

    ModalBoxCloser boxes;
    QTest::mouseClick(form->suiButton14, Qt::LeftButton);

    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].title, "Project1");
    EXPECT_EQ(boxes.seen[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes.seen[0].text, "'1-2' is not a valid integer value.");
    EXPECT_EQ(boxes.seen[0].buttons, QMessageBox::Ok);

    EXPECT_EQ(CurrentPageNumber, 1);
    EXPECT_EQ(CurrentListingAddress, Address("Young/Soft_009_", 1));
    EXPECT_EQ(form->Label1->text(), StatusFor(1));
    EXPECT_EQ(PaneText(*form->WebBrowser1), paneBefore);
    EXPECT_EQ(server.Requests().size(), 1u);

    // The window goes on working.
    QTest::mouseClick(form->suiButton12, Qt::LeftButton);
    EXPECT_EQ(form->Label1->text(), StatusFor(2));
}

TEST(ErrorReportTitle, IsTheFileNameUpToItsFirstDotWithTheRestInLowerCase)
{
    EXPECT_EQ(ApplicationTitleOf("Project1"), "Project1");
    EXPECT_EQ(ApplicationTitleOf("PROJECT1.EXE"), "Project1");
    EXPECT_EQ(ApplicationTitleOf("my.tool.bin"), "my");
}

TEST_F(WindowTest, DownloadAndPaneLinksOpenInTheDesktopBrowser)
{
    UrlRecorder browser;
    QTest::mouseClick(form->suiButton1, Qt::LeftButton);
    ASSERT_TRUE(PaneShows(*form->WebBrowser1, QString::fromStdString(Address("Chuanyue/Soft_047_", 1))));
    QTest::mouseClick(form->suiButton15, Qt::LeftButton);
    ClickFirstLink(*form->WebBrowser1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return browser.opened.size() == 2; }, 30000));

    const std::vector<QUrl> expected = {QUrl(QString::fromStdString(Address("Chuanyue/Soft_047_", 1))),
                                        QUrl(QString::fromStdString(ListingBaseAddress + "/book.htm"))};
    EXPECT_EQ(browser.opened, expected);
    EXPECT_EQ(server.Requests().size(), 1u) << "the pane never goes to the site itself";
    EXPECT_TRUE(PaneShows(*form->WebBrowser1, QString::fromStdString(Address("Chuanyue/Soft_047_", 1))));
}

TEST_F(WindowTest, ScreenshotIsWrittenToTheBuildTree)
{
    QTest::mouseClick(form->suiButton5, Qt::LeftButton);
    ASSERT_TRUE(PaneShows(*form->WebBrowser1, QString::fromStdString(Address("Wuxia/Soft_010_", 1))));
    QTest::qWait(500);  // lets the pane paint what it holds

    ASSERT_TRUE(QDir().mkpath(ARTIFACT_DIR));
    const QString path = QStringLiteral(ARTIFACT_DIR "/window.png");
    const QImage shot = form->screen()->grabWindow(form->winId()).toImage();
    ASSERT_TRUE(shot.save(path));
    EXPECT_EQ(QImage(path).size(), QSize(884, 539));
}

}  // namespace
