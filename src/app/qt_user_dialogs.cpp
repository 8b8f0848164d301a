#include "app/qt_user_dialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>

#include "app/logic/ui_texts.h"
#include "app/port_set_dlg.h"

namespace tamsel::app {

namespace {

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

void ShowBox(QWidget* parent, QMessageBox::Icon icon, std::string_view text)
{
    QMessageBox box(icon, FromUtf8(kApplicationName), FromUtf8(text), QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace

std::optional<std::filesystem::path> QtUserDialogs::RunChooser(const FileChooserRequest& request, bool save)
{
    QFileDialog chooser(m_Parent, QString::fromUtf8(save ? "名前を付けて保存" : "開く"), m_Folder);
    chooser.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    chooser.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    QStringList filters;
    for (const std::string& filter : request.filters) filters << FromUtf8(filter);
    chooser.setNameFilters(filters);
    if (!filters.isEmpty()) chooser.selectNameFilter(filters.first());
    chooser.setDefaultSuffix(FromUtf8(request.defaultSuffix));
    if (!request.initialName.empty()) chooser.selectFile(FromUtf8(request.initialName));
    chooser.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return std::nullopt;
    const QString chosen = chooser.selectedFiles().first();
    m_Folder = QFileInfo(chosen).absolutePath();
    return std::filesystem::path(QFile::encodeName(chosen).toStdString());
}

std::optional<std::filesystem::path> QtUserDialogs::ChooseFileToOpen(const FileChooserRequest& request)
{
    return RunChooser(request, false);
}

std::optional<std::filesystem::path> QtUserDialogs::ChooseFileToSave(const FileChooserRequest& request)
{
    return RunChooser(request, true);
}

std::optional<int> QtUserDialogs::ChoosePort(const std::vector<std::u16string>& ports, int current)
{
    QStringList names;
    for (const std::u16string& port : ports) names << QString::fromUtf16(port.data(), static_cast<qsizetype>(port.size()));
    CPortSetDlg dialog(names, current, m_Parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Sel();
}

void QtUserDialogs::ShowWarning(std::string_view text) { ShowBox(m_Parent, QMessageBox::Warning, text); }

void QtUserDialogs::ShowError(std::string_view text) { ShowBox(m_Parent, QMessageBox::Critical, text); }

}  // namespace tamsel::app
