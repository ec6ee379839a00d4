#include "app/gui/frmAbout.h"

#include "app/Platform.h"
#include "ui/MsgBox.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(AppTitle() + QStringLiteral(" 정보"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* icon = new QLabel(this);
    const QIcon appIcon = QApplication::windowIcon().isNull()
                              ? style()->standardIcon(QStyle::SP_MessageBoxInformation)
                              : QApplication::windowIcon();
    icon->setPixmap(appIcon.pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    lblTitle = new QLabel(AppTitle(), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);

    lblVersion = new QLabel(versionText(), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));

    lblDescription = new QLabel(QStringLiteral("    이 프로그램은 음식점 콜업무 전산관리를\n"
                                               "    목적으로 테스소프트에서 제작한 프로그램입니다."),
                                this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));

    cmdOK = new QPushButton(QStringLiteral("확인"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton(QStringLiteral("시스템 정보(&S)..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));

    auto* text = new QVBoxLayout;
    text->addWidget(lblTitle);
    text->addWidget(lblVersion);
    text->addSpacing(12);
    text->addWidget(lblDescription);
    text->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addLayout(text, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
}

QString frmAbout::versionText()
{
    return QStringLiteral("버전 %1.%2.%3")
        .arg(ZELKOVA_VERSION_MAJOR)
        .arg(ZELKOVA_VERSION_MINOR)
        .arg(ZELKOVA_VERSION_PATCH);
}

QString frmAbout::systemInfoProgram()
{
    return CurrentPlatform().SystemInfoProgram();
}

void frmAbout::cmdSysInfo_Click()
{
    const QString program = systemInfoProgram();
    if (program.isEmpty() || !CurrentPlatform().StartProgram(program, {}))
        ShowInfo(QStringLiteral("지금은 시스템 정보를 사용할 수 없습니다."));
}
