#include "app/tamsel_dlg.h"

#include <optional>
#include <utility>

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "app/about_dlg.h"
#include "app/app_icon.h"
#include "app/dialog_units.h"

namespace tamsel::app {

namespace {

// The first local file among dropped URLs, if any.
std::optional<std::filesystem::path> DroppedFile(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls()) return std::nullopt;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) return std::filesystem::path(QFile::encodeName(url.toLocalFile()).toStdString());
    }
    return std::nullopt;
}

QString ToQString(const std::u16string& text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

CTamselDlg::CTamselDlg(PlaybackEngine& engine, UserDialogs& dialogs, std::filesystem::path fallbackFolder,
                       QWidget* parent)
    : QDialog(parent), m_Commands(engine, dialogs, *this, std::move(fallbackFolder))
{
    setObjectName("CTamselDlg");
    setWindowTitle("Tamsel");
    setWindowIcon(AppIcon());
    // A fixed-size window with a close box, no minimise, maximise or help button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(DialogFont(9));
    setAcceptDrops(true);
    BuildMenu();
    BuildFields();
    m_Commands.StartUp();
}

CTamselDlg::~CTamselDlg() = default;

void CTamselDlg::BuildMenu()
{
    m_MenuBar = new QMenuBar(this);
    m_MenuBar->setNativeMenuBar(false);
    const auto item = [this](QMenu* menu, const char* text, void (CTamselDlg::*handler)()) {
        QAction* action = menu->addAction(QString::fromUtf8(text));
        connect(action, &QAction::triggered, this, handler);
    };
    const auto command = [this](QMenu* menu, const char* text, void (TamselCommands::*handler)()) {
        QAction* action = menu->addAction(QString::fromUtf8(text));
        connect(action, &QAction::triggered, this, [this, handler] { (m_Commands.*handler)(); });
    };

    QMenu* file = m_MenuBar->addMenu(QString::fromUtf8("ファイル(&F)"));
    command(file, "開く(&O)", &TamselCommands::OnOpen);
    command(file, "SMF形式で保存(&S)", &TamselCommands::OnSaveSmf);
    file->addSeparator();
    item(file, "終了(&X)", &CTamselDlg::OnExit);

    QMenu* control = m_MenuBar->addMenu(QString::fromUtf8("操作(&O)"));
    command(control, "再生(&P)", &TamselCommands::OnPlay);
    command(control, "停止(&S)", &TamselCommands::OnStop);

    QMenu* settings = m_MenuBar->addMenu(QString::fromUtf8("設定(&S)"));
    command(settings, "音源の設定(&P)", &TamselCommands::OnPortSetting);

    QMenu* help = m_MenuBar->addMenu(QString::fromUtf8("ヘルプ(&H)"));
    item(help, "バージョン情報...(&A)", &CTamselDlg::OnAbout);
}

void CTamselDlg::BuildFields()
{
    const DialogUnits units(font());
    auto* client = new QWidget(this);
    client->setFixedSize(units.Size(206, 123));

    const auto label = [&](const char* text, QRect rect) {
        auto* widget = new QLabel(QString::fromUtf8(text), client);
        widget->setGeometry(rect);
        widget->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    };
    const auto line = [&](const char* name, QRect rect) {
        auto* field = new QLineEdit(client);
        field->setObjectName(name);
        field->setReadOnly(true);
        field->setGeometry(rect);
        return field;
    };

    // Created in tab order: title, copyright, comment.
    label("曲名", units.Rect(4, 8, 28, 12));
    m_TitleField = line("titleField", units.Rect(32, 8, 168, 12));
    label("著作権", units.Rect(4, 24, 28, 12));
    m_CopyRightField = line("copyrightField", units.Rect(32, 24, 168, 12));
    m_CommentField = new QPlainTextEdit(client);
    m_CommentField->setObjectName("commentField");
    m_CommentField->setReadOnly(true);
    m_CommentField->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_CommentField->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_CommentField->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_CommentField->setGeometry(units.Rect(32, 44, 168, 72));
    label("コメント", units.Rect(4, 44, 28, 12));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(m_MenuBar);
    layout->addWidget(client);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_TitleField->setFocus();
}

void CTamselDlg::ShowSongTexts(const std::u16string& title, const std::u16string& copyright,
                               const std::u16string& comment)
{
    m_TitleField->setText(ToQString(title));
    m_TitleField->setCursorPosition(0);
    m_CopyRightField->setText(ToQString(copyright));
    m_CopyRightField->setCursorPosition(0);
    m_CommentField->setPlainText(ToQString(comment));
}

void CTamselDlg::done(int result)
{
    // Every way of closing passes here: Exit, the close box, Esc and Enter.
    m_Commands.TearDown();
    QDialog::done(result);
}

void CTamselDlg::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        // The comment field keeps Enter for itself; elsewhere it closes the window.
        if (focusWidget() != m_CommentField) accept();
        return;
    }
    QDialog::keyPressEvent(event);  // Esc rejects, which closes the window
}

void CTamselDlg::dragEnterEvent(QDragEnterEvent* event)
{
    if (DroppedFile(event->mimeData())) event->acceptProposedAction();
}

void CTamselDlg::dropEvent(QDropEvent* event)
{
    const auto file = DroppedFile(event->mimeData());
    if (!file) return;
    event->acceptProposedAction();
    // Open once the drop has finished, so that a message box does not keep
    // the dragging program waiting.
    QTimer::singleShot(0, this, [this, path = *file] { m_Commands.OpenFile(path); });
}

void CTamselDlg::OnAbout()
{
    CAboutDlg about(this);
    about.exec();
}

void CTamselDlg::OnExit()
{
    m_Commands.OnExit();
    accept();
}

}  // namespace tamsel::app
