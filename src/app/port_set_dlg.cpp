#include "app/port_set_dlg.h"

#include <QItemSelectionModel>
#include <QListWidget>
#include <QPushButton>

#include "app/dialog_units.h"

namespace tamsel::app {

CPortSetDlg::CPortSetDlg(const QStringList& ports, int selected, QWidget* parent)
    : QDialog(parent), m_Sel(selected)
{
    setObjectName("CPortSetDlg");
    setWindowTitle(QString::fromUtf8("音源の設定"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(DialogFont(9));
    const DialogUnits units(font());
    setFixedSize(units.Size(184, 81));

    m_List = new QListWidget(this);
    m_List->setSelectionMode(QAbstractItemView::SingleSelection);
    m_List->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_List->setGeometry(units.Rect(4, 4, 172, 48));
    m_List->addItems(ports);  // in port order, never sorted
    if (selected >= 0 && selected < m_List->count()) m_List->setCurrentRow(selected);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(units.Rect(68, 60, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CPortSetDlg::accept);

    auto* cancel = new QPushButton(QString::fromUtf8("キャンセル"), this);
    cancel->setGeometry(units.Rect(128, 60, 50, 14));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_List->setFocus();
}

void CPortSetDlg::accept()
{
    const QModelIndexList rows = m_List->selectionModel()->selectedRows();
    m_Sel = rows.isEmpty() ? -1 : rows.first().row();
    QDialog::accept();
}

}  // namespace tamsel::app
