#include "app/about_dlg.h"

#include <algorithm>

#include <QLabel>
#include <QPushButton>

#include "app/app_icon.h"
#include "app/dialog_units.h"

namespace tamsel::app {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName("CAboutDlg");
    setWindowTitle(QString::fromUtf8("バージョン情報"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(DialogFont(9));
    const DialogUnits units(font());
    setFixedSize(units.Size(166, 67));

    auto* icon = new QLabel(this);
    icon->setObjectName("icon");
    icon->setPixmap(AppIcon().pixmap(32, 32));
    icon->move(units.Rect(11, 17, 20, 20).topLeft());
    icon->resize(32, 32);

    auto* text = new QLabel(QStringLiteral("Tamsel Ver 1.001"), this);
    text->setTextFormat(Qt::PlainText);
    text->setGeometry(units.Rect(40, 10, 119, 8));
    // The line may be taller than eight units in a larger font.
    text->resize(text->width(), std::max(text->height(), text->sizeHint().height()));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(units.Rect(108, 44, 50, 16));
    ok->setDefault(true);
    ok->setFocus();
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace tamsel::app
