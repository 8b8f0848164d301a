#pragma once

#include <QDialog>

namespace tamsel::app {

// The version box: the icon, the program's name and version, OK.
class CAboutDlg final : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace tamsel::app
