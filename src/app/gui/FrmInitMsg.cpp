#include "app/gui/FrmInitMsg.h"

#include "app/AppPaths.h"
#include "app/SettingKeys.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

FrmInitMsg::FrmInitMsg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmInitMsg"));
    setWindowTitle(QStringLiteral("안내 메세지"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setAlignment(Qt::AlignCenter);
    const QString picture = AppPaths::ProgramPath(QStringLiteral("Image/SoftwareInfoMsg.jpg"));
    QPixmap pixmap;
    if (QFileInfo::exists(picture) && pixmap.load(picture)) {
        Picture1->setPixmap(pixmap);
    } else {
        // Without the picture the operator still gets a short word about the program.
        Picture1->setWordWrap(true);
        Picture1->setMargin(16);
        Picture1->setFrameShape(QFrame::StyledPanel);
        Picture1->setMinimumSize(420, 200);
        Picture1->setText(QStringLiteral(
            "<p style='font-size:14pt; font-weight:bold;'>음식점 콜업무 전산관리 프로그램</p>"
            "<p>전화 주문 접수, 고객 및 가맹점 관리, 접수 처리, 입금과 포인트 관리, "
            "원장 및 매출 현황을 한 곳에서 처리합니다.</p>"
            "<p>처음 사용하시는 경우 [옵션] 화면에서 회사 정보와 암호, 발신번호 표시 장치의 포트를 "
            "먼저 설정해 주십시오.</p>"));
    }

    ChkCheck = new QCheckBox(QStringLiteral("다음부터 이 화면을 띄우지 않음."), this);
    ChkCheck->setObjectName(QStringLiteral("ChkCheck"));
    ChkCheck->setChecked(Settings::Get(Settings::Key::NoMsg) == QLatin1String("1"));

    Command1 = new QPushButton(QStringLiteral("닫기(&C)"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(ChkCheck);
    bottom->addStretch(1);
    bottom->addWidget(Command1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Picture1, 1);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(ChkCheck, &QCheckBox::clicked, this, &FrmInitMsg::ChkCheck_Click);
    connect(Command1, &QPushButton::clicked, this, &FrmInitMsg::Command1_Click);
}

void FrmInitMsg::ChkCheck_Click()
{
    Settings::Save(Settings::Key::NoMsg, ChkCheck->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

void FrmInitMsg::Command1_Click()
{
    accept();
}
