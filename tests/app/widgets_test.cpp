#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QUrl>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/about_dlg.h"
#include "app/logic/ui_texts.h"
#include "app/port_set_dlg.h"
#include "app/qt_user_dialogs.h"
#include "app/tamsel_dlg.h"
#include "command_fixture.h"
#include "modal_answer.h"
#include "song_files.h"

namespace tamsel::app::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

QAction* MenuItem(const CTamselDlg& window, const char* menuText, const char* itemText)
{
    for (QAction* menu : window.MenuBar()->actions()) {
        if (menu->text() != Q(menuText)) continue;
        for (QAction* item : menu->menu()->actions())
            if (item->text() == Q(itemText)) return item;
    }
    ADD_FAILURE() << "no item " << itemText << " in " << menuText;
    return nullptr;
}

void Trigger(const CTamselDlg& window, const char* menuText, const char* itemText)
{
    if (QAction* item = MenuItem(window, menuText, itemText)) item->trigger();
}

// Choosers answered by the test, message boxes real.
class ScriptedChoosers final : public ScriptedDialogs {
public:
    QtUserDialogs real;
    bool realMessages = false;
    bool realPorts = false;
    std::optional<int> ChoosePort(const std::vector<std::u16string>& ports, int current) override
    {
        if (realPorts) return real.ChoosePort(ports, current);
        return ScriptedDialogs::ChoosePort(ports, current);
    }
    void ShowWarning(std::string_view text) override
    {
        ScriptedDialogs::ShowWarning(text);
        if (realMessages) real.ShowWarning(text);
    }
};

class WindowTest : public ::testing::Test {
protected:
    TempFolder folder;
    RecordingSynthesizer synth = ThreePortSynthesizer();
    ScriptedChoosers dialogs;
    DialogMessageSink messages{dialogs};
    PlaybackEngine engine{synth, messages};
    std::unique_ptr<CTamselDlg> window;

    void SetUp() override
    {
        window = std::make_unique<CTamselDlg>(engine, dialogs, folder.Path());
        dialogs.real.SetParent(window.get());
        window->show();
    }

    void TearDown() override { window.reset(); }

    void Trigger(const char* menuText, const char* itemText) const { test::Trigger(*window, menuText, itemText); }

    void OpenFromMenu(const std::filesystem::path& path)
    {
        dialogs.openAnswers.push_back(path);
        Trigger("ファイル(&F)", "開く(&O)");
    }

    QString Field(const char* name) const { return window->findChild<QLineEdit*>(name)->text(); }
    QPlainTextEdit* Comment() const { return window->findChild<QPlainTextEdit*>("commentField"); }
};

TEST_F(WindowTest, MenusHoldTheirItemsInOrder)
{
    struct Menu {
        const char* title;
        std::vector<const char*> items;  // "" for a separator
    };
    const std::vector<Menu> expected = {
        {"ファイル(&F)", {"開く(&O)", "SMF形式で保存(&S)", "", "終了(&X)"}},
        {"操作(&O)", {"再生(&P)", "停止(&S)"}},
        {"設定(&S)", {"音源の設定(&P)"}},
        {"ヘルプ(&H)", {"バージョン情報...(&A)"}},
    };
    const QList<QAction*> menus = window->MenuBar()->actions();
    ASSERT_EQ(menus.size(), static_cast<qsizetype>(expected.size()));
    for (std::size_t m = 0; m < expected.size(); ++m) {
        EXPECT_EQ(menus[m]->text(), Q(expected[m].title));
        QStringList items;
        for (QAction* item : menus[m]->menu()->actions()) {
            items << (item->isSeparator() ? QString() : item->text());
            EXPECT_TRUE(item->isEnabled());
            EXPECT_FALSE(item->isCheckable());
            EXPECT_TRUE(item->shortcut().isEmpty());
        }
        QStringList wanted;
        for (const char* item : expected[m].items) wanted << Q(item);
        EXPECT_EQ(items, wanted) << expected[m].title;
    }
}

TEST_F(WindowTest, TheWindowIsFixedWithThreeReadOnlyFields)
{
    EXPECT_EQ(window->windowTitle(), "Tamsel");
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    QStringList labels;
    for (QLabel* label : window->findChildren<QLabel*>()) labels << label->text();
    EXPECT_THAT(labels, ElementsAre(Q("曲名"), Q("著作権"), Q("コメント")));
    for (const char* name : {"titleField", "copyrightField"}) {
        EXPECT_TRUE(window->findChild<QLineEdit*>(name)->isReadOnly()) << name;
        EXPECT_TRUE(Field(name).isEmpty()) << name;
    }
    EXPECT_TRUE(Comment()->isReadOnly());
    EXPECT_TRUE(Comment()->verticalScrollBar()->isVisible());
    EXPECT_TRUE(Comment()->horizontalScrollBar()->isVisible());
    // The fields line up one under the other, the comment below them and taller.
    const QRect title = window->findChild<QLineEdit*>("titleField")->geometry();
    const QRect copyright = window->findChild<QLineEdit*>("copyrightField")->geometry();
    EXPECT_EQ(title.left(), copyright.left());
    EXPECT_LT(title.bottom(), copyright.top());
    EXPECT_LT(copyright.bottom(), Comment()->geometry().top());
    EXPECT_GT(Comment()->height(), 3 * title.height());
}

TEST_F(WindowTest, OpeningSongsFillsTheFields)
{
    const auto pmr = folder / "tune.pmr";
    WriteBytes(pmr, PellomarFile(u"Title=夜の曲\r\nBuilder=作者\r\nComment=一行目\\r\\n二行目\r\n"));
    OpenFromMenu(pmr);
    EXPECT_EQ(Field("titleField"), Q("夜の曲"));
    EXPECT_EQ(Field("copyrightField"), Q("作者"));
    EXPECT_EQ(Comment()->toPlainText(), Q("一行目\n二行目"));
    EXPECT_EQ(Comment()->blockCount(), 2);

    const auto mid = folder / "曲.mid";
    WriteBytes(mid, SmfFile("", "(C) Someone"));
    OpenFromMenu(mid);
    EXPECT_EQ(Field("titleField"), Q("曲.mid"));
    EXPECT_EQ(Field("copyrightField"), Q("(C) Someone"));
    EXPECT_EQ(Comment()->toPlainText(), Q("一行目\n二行目")) << "an SMF keeps the comment";
}

TEST_F(WindowTest, CancelLeavesTheFieldsAsTheyWere)
{
    const auto pmr = folder / "tune.pmr";
    WriteBytes(pmr, PellomarFile(u"Title=Tune\r\n"));
    OpenFromMenu(pmr);
    Trigger("ファイル(&F)", "開く(&O)");  // answered with Cancel
    EXPECT_EQ(Field("titleField"), "Tune");
    EXPECT_EQ(window->Commands().PlayFile(), folder / "tune_tamsel.tmp");
}

TEST_F(WindowTest, AFileThatCannotBeOpenedShowsTheMessageBox)
{
    dialogs.realMessages = true;
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QAbstractButton*> buttons;
    ModalAnswer<QMessageBox> answer([&](QMessageBox& box) {
        text = box.text();
        title = box.windowTitle();
        icon = box.icon();
        buttons = box.buttons();
        box.button(QMessageBox::Ok)->click();
    });
    OpenFromMenu(folder / "missing.pmr");
    ASSERT_TRUE(answer.Answered());
    EXPECT_EQ(text, QString::fromUtf8(kOpenFailedText.data(), static_cast<qsizetype>(kOpenFailedText.size())));
    EXPECT_EQ(title, "Tamsel");
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(buttons.size(), 1);
    EXPECT_TRUE(Field("titleField").isEmpty());
}

TEST_F(WindowTest, ADroppedFileOpensLikeOpen)
{
    const auto pmr = folder / "dropped.pmr";
    WriteBytes(pmr, PellomarFile(u"Title=Dropped\r\n"));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(pmr.string()))});
    const QPoint inside = window->rect().center();
    QDragEnterEvent enter(inside, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(inside), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    QApplication::processEvents();
    EXPECT_EQ(Field("titleField"), "Dropped");

    QMimeData web;
    web.setUrls({QUrl("https://example.invalid/song.mid")});
    QDragEnterEvent remote(inside, Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &remote);
    EXPECT_FALSE(remote.isAccepted()) << "only local files are taken";
}

TEST_F(WindowTest, PlayAndStopReachTheEngine)
{
    const auto pmr = folder / "tune.pmr";
    WriteBytes(pmr, PellomarFile(u"Title=Tune\r\n"));
    OpenFromMenu(pmr);
    Trigger("操作(&O)", "再生(&P)");
    EXPECT_TRUE(engine.IsPlaying());
    EXPECT_TRUE(std::filesystem::exists(folder / "tune_tamsel.tmp"));
    Trigger("操作(&O)", "停止(&S)");
    EXPECT_FALSE(engine.IsPlaying());
    EXPECT_FALSE(std::filesystem::exists(folder / "tune_tamsel.tmp"));
}

TEST_F(WindowTest, SaveFromTheMenuWritesTheSong)
{
    const auto mid = folder / "in.mid";
    const std::string smf = SmfFile("Saved", "");
    WriteBytes(mid, smf);
    OpenFromMenu(mid);
    dialogs.saveAnswers.push_back(folder / "out.mid");
    Trigger("ファイル(&F)", "SMF形式で保存(&S)");
    EXPECT_EQ(ReadBytes(folder / "out.mid"), smf);
}

TEST_F(WindowTest, EveryWayOfClosingTearsPlaybackDown)
{
    struct Case {
        const char* what;
        const char* focus;  // object name of the focused field
        std::function<void(CTamselDlg&)> act;
        bool closes;
    };
    const auto key = [](int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        return [code, modifiers](CTamselDlg& dlg) {
            QKeyEvent press(QEvent::KeyPress, code, modifiers);
            QApplication::sendEvent(QApplication::focusWidget() ? QApplication::focusWidget() : &dlg, &press);
        };
    };
    const std::vector<Case> cases = {
        {"Enter in the title field", "titleField", key(Qt::Key_Return), true},
        {"keypad Enter in the copyright field", "copyrightField", key(Qt::Key_Enter, Qt::KeypadModifier), true},
        {"Enter in the comment field", "commentField", key(Qt::Key_Return), false},
        {"Esc in the comment field", "commentField", key(Qt::Key_Escape), true},
        {"the close box", "titleField", [](CTamselDlg& dlg) { dlg.close(); }, true},
        {"Exit", "titleField", [](CTamselDlg& dlg) { test::Trigger(dlg, "ファイル(&F)", "終了(&X)"); }, true},
    };
    const auto pmr = folder / "tune.pmr";
    WriteBytes(pmr, PellomarFile(u"Title=Tune\r\n"));
    for (const Case& c : cases) {
        RecordingSynthesizer caseSynth = ThreePortSynthesizer();
        PlaybackEngine caseEngine(caseSynth, messages);
        CTamselDlg dlg(caseEngine, dialogs, folder.Path());
        dlg.show();
        QApplication::setActiveWindow(&dlg);
        dialogs.openAnswers.push_back(pmr);
        dlg.Commands().OnOpen();
        dlg.Commands().OnPlay();
        ASSERT_TRUE(caseEngine.IsPlaying()) << c.what;
        dlg.findChild<QWidget*>(c.focus)->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), dlg.findChild<QWidget*>(c.focus)) << c.what;

        c.act(dlg);

        EXPECT_EQ(dlg.isVisible(), !c.closes) << c.what;
        EXPECT_EQ(caseEngine.State() == PlaybackState::Closed, c.closes) << c.what;
        EXPECT_EQ(caseEngine.IsPlaying(), !c.closes) << c.what;
        EXPECT_EQ(std::filesystem::exists(folder / "tune_tamsel.tmp"), !c.closes) << c.what;
        dlg.Commands().TearDown();
    }
}

TEST_F(WindowTest, MessageBoxesHaveOneOkTheirIconAndTheCaption)
{
    struct Case {
        std::function<void(QtUserDialogs&)> show;
        QMessageBox::Icon icon;
    };
    const std::vector<Case> cases = {
        {[](QtUserDialogs& d) { d.ShowWarning("一時ファイルの作成に失敗しました。"); }, QMessageBox::Warning},
        {[](QtUserDialogs& d) { d.ShowError("cannot read /x: Input/output error"); }, QMessageBox::Critical},
    };
    for (const Case& c : cases) {
        QtUserDialogs real(window.get());
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString title;
        qsizetype buttons = 0;
        ModalAnswer<QMessageBox> answer([&](QMessageBox& box) {
            icon = box.icon();
            title = box.windowTitle();
            buttons = box.buttons().size();
            box.button(QMessageBox::Ok)->click();
        });
        c.show(real);
        ASSERT_TRUE(answer.Answered());
        EXPECT_EQ(icon, c.icon);
        EXPECT_EQ(title, "Tamsel");
        EXPECT_EQ(buttons, 1);
    }
}

TEST_F(WindowTest, TheOpenChooserOffersItsTypesAndGivesThePathOrNothing)
{
    const auto pmr = folder / "tune.pmr";
    WriteBytes(pmr, "PLMR");
    QtUserDialogs real(window.get());
    const FileChooserRequest request{{"Pellomar Data Files (*.pmr)", "All Files (*)"}, "", "", false};

    QStringList filters;
    QString selected;
    ModalAnswer<QFileDialog> cancel([&](QFileDialog& chooser) {
        filters = chooser.nameFilters();
        selected = chooser.selectedNameFilter();
        chooser.reject();
    });
    EXPECT_FALSE(real.ChooseFileToOpen(request).has_value());
    EXPECT_THAT(filters, ElementsAre("Pellomar Data Files (*.pmr)", "All Files (*)"));
    EXPECT_EQ(selected, "Pellomar Data Files (*.pmr)");

    ModalAnswer<QFileDialog> choose([&](QFileDialog& chooser) {
        chooser.setDirectory(QString::fromStdString(folder.Path().string()));
        chooser.selectFile("tune.pmr");
        QMetaObject::invokeMethod(&chooser, "accept");
    });
    EXPECT_EQ(real.ChooseFileToOpen(request), pmr);

    // The next chooser opens where this one was left.
    QString startedIn;
    ModalAnswer<QFileDialog> next([&](QFileDialog& chooser) {
        startedIn = chooser.directory().absolutePath();
        chooser.reject();
    });
    EXPECT_FALSE(real.ChooseFileToSave(request).has_value());
    EXPECT_EQ(startedIn, QString::fromStdString(folder.Path().string()));
}

TEST_F(WindowTest, TheSaveChooserOffersNoTitleAddsMidAndAsksBeforeReplacing)
{
    QtUserDialogs real(window.get());
    const FileChooserRequest request{{"Standard MIDI Files (*.mid)", "All Files (*)"}, "mid", "NoTitle", true};
    const QString dir = QString::fromStdString(folder.Path().string());

    QString offered;
    ModalAnswer<QFileDialog> accept([&](QFileDialog& chooser) {
        chooser.setDirectory(dir);
        offered = chooser.findChild<QLineEdit*>("fileNameEdit")->text();
        QMetaObject::invokeMethod(&chooser, "accept");
    });
    EXPECT_EQ(real.ChooseFileToSave(request), folder / "NoTitle.mid");
    EXPECT_EQ(offered, "NoTitle");

    WriteBytes(folder / "NoTitle.mid", "old");
    bool asked = false;
    std::unique_ptr<ModalAnswer<QMessageBox>> confirm;
    ModalAnswer<QFileDialog> replace([&](QFileDialog& chooser) {
        chooser.setDirectory(dir);
        chooser.selectFile("NoTitle.mid");
        confirm = std::make_unique<ModalAnswer<QMessageBox>>([&](QMessageBox& box) {
            asked = true;
            box.button(QMessageBox::Yes)->click();
        });
        QMetaObject::invokeMethod(&chooser, "accept");
    });
    EXPECT_EQ(real.ChooseFileToSave(request), folder / "NoTitle.mid");
    EXPECT_TRUE(asked);
}

TEST(PortSetDlgTest, ListsThePortsInOrderAndHandsBackTheChoice)
{
    const std::vector<std::u16string> ports = {u"Synth B", u"MIDI Out A", u"音源 C"};
    struct Case {
        const char* what;
        std::function<void(CPortSetDlg&)> act;
        std::optional<int> result;
    };
    const std::vector<Case> cases = {
        {"OK unchanged", [](CPortSetDlg& d) { d.findChild<QPushButton*>()->click(); }, 1},
        {"another row", [](CPortSetDlg& d) { d.List()->setCurrentRow(2); d.accept(); }, 2},
        {"nothing selected", [](CPortSetDlg& d) { d.List()->clearSelection(); d.accept(); }, -1},
        {"Cancel",
         [](CPortSetDlg& d) {
             for (QPushButton* button : d.findChildren<QPushButton*>())
                 if (button->text() == Q("キャンセル")) button->click();
         },
         std::nullopt},
        {"Esc", [](CPortSetDlg& d) {
             d.List()->setCurrentRow(0);
             QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
             QApplication::sendEvent(&d, &esc);
         },
         std::nullopt},
    };
    for (const Case& c : cases) {
        QtUserDialogs real;
        QStringList listed;
        int selectedRow = -2;
        QString title;
        ModalAnswer<CPortSetDlg> answer([&](CPortSetDlg& dialog) {
            title = dialog.windowTitle();
            for (int row = 0; row < dialog.List()->count(); ++row) listed << dialog.List()->item(row)->text();
            const auto rows = dialog.List()->selectionModel()->selectedRows();
            selectedRow = rows.isEmpty() ? -1 : rows.first().row();
            c.act(dialog);
        });
        EXPECT_EQ(real.ChoosePort(ports, 1), c.result) << c.what;
        EXPECT_EQ(title, Q("音源の設定"));
        EXPECT_THAT(listed, ElementsAre("Synth B", "MIDI Out A", Q("音源 C")));
        EXPECT_EQ(selectedRow, 1);
    }
}

TEST_F(WindowTest, ThePortMenuSwitchesThePortOnlyWhenTheChoiceChanged)
{
    dialogs.realPorts = true;
    const auto choose = [&](int row) {
        ModalAnswer<CPortSetDlg> answer([row](CPortSetDlg& dialog) {
            if (row >= 0) dialog.List()->setCurrentRow(row);
            dialog.accept();
        });
        Trigger("設定(&S)", "音源の設定(&P)");
        EXPECT_TRUE(answer.Answered());
    };
    const auto created = [&] {
        return std::count_if(synth.Calls().begin(), synth.Calls().end(),
                             [](const std::string& call) { return call.starts_with("CreatePort("); });
    };
    const auto before = created();
    choose(-1);  // OK on the port in use
    EXPECT_EQ(created(), before);
    choose(2);
    EXPECT_EQ(created(), before + 1);
    EXPECT_EQ(engine.PortIndex(), 2);
}

TEST_F(WindowTest, TheAboutBoxShowsTheIconNameAndVersion)
{
    QString title;
    QStringList texts;
    bool icon = false;
    ModalAnswer<CAboutDlg> answer([&](CAboutDlg& about) {
        title = about.windowTitle();
        for (QLabel* label : about.findChildren<QLabel*>()) {
            if (!label->pixmap().isNull()) icon = true;
            if (!label->text().isEmpty()) texts << label->text();
        }
        about.findChild<QPushButton*>()->click();
    });
    Trigger("ヘルプ(&H)", "バージョン情報...(&A)");
    ASSERT_TRUE(answer.Answered());
    EXPECT_EQ(title, Q("バージョン情報"));
    EXPECT_THAT(texts, ElementsAre("Tamsel Ver 1.001"));
    EXPECT_TRUE(icon);
}

}  // namespace
}  // namespace tamsel::app::test
