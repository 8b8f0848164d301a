#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "app/logic/user_dialogs.h"

namespace tamsel::app {

// The commands' dialogs as real Qt dialogs, modal over `parent`.
class QtUserDialogs final : public UserDialogs {
public:
    explicit QtUserDialogs(QWidget* parent = nullptr) : m_Parent(parent) {}
    void SetParent(QWidget* parent) { m_Parent = parent; }

    std::optional<std::filesystem::path> ChooseFileToOpen(const FileChooserRequest& request) override;
    std::optional<std::filesystem::path> ChooseFileToSave(const FileChooserRequest& request) override;
    std::optional<int> ChoosePort(const std::vector<std::u16string>& ports, int current) override;
    void ShowWarning(std::string_view text) override;
    void ShowError(std::string_view text) override;

private:
    std::optional<std::filesystem::path> RunChooser(const FileChooserRequest& request, bool save);

    QPointer<QWidget> m_Parent;
    // Both choosers open where the last one was left, for this run only.
    QString m_Folder;
};

}  // namespace tamsel::app
