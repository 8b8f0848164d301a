#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;

namespace tamsel::app {

// The sound-source dialog: the ports in port order, `selected` selected.
// After OK, Sel() is the selected position, or -1 when none is selected.
class CPortSetDlg final : public QDialog {
    Q_OBJECT

public:
    CPortSetDlg(const QStringList& ports, int selected, QWidget* parent = nullptr);

    [[nodiscard]] int Sel() const noexcept { return m_Sel; }
    [[nodiscard]] QListWidget* List() const noexcept { return m_List; }

    void accept() override;

private:
    QListWidget* m_List = nullptr;
    int m_Sel;
};

}  // namespace tamsel::app
