#include "masters/gui/CustomerScreens.h"

#include "masters/CustomerService.h"
#include "masters/gui/FrmCust_admin.h"
#include "masters/gui/FrmCust_save.h"
#include "masters/gui/FrmCust_sel.h"
#include "ui/MsgBox.h"
#include "ui/gui/ScreenCatalogue.h"

void RegisterCustomerScreens()
{
    ScreenCatalogue::RegisterPicker(QStringLiteral("FrmCust_sel"),
                                    [] { return std::make_unique<FrmCust_sel>(); });
    ScreenCatalogue::RegisterEditor(QStringLiteral("FrmCust_save"),
                                    [] { return std::make_unique<FrmCust_save>(); });
    ScreenCatalogue::Register(FrmCust_admin::Entry());
}

bool DeleteCustomerTelling(const QString& code)
{
    const CustomerService::Result r = CustomerService::DeleteCustomer(code);
    switch (r.status) {
    case CustomerService::Status::Saved:
        return true;
    case CustomerService::Status::Linked:
        ShowInfo(QStringLiteral("해당 자료가 다른자료와 연결되어 있어 삭제할 수 없습니다."));
        return false;
    case CustomerService::Status::NotFound:
        ShowWarning(FormatMessage(QStringLiteral("코드『%0』에 해당하는 자료를 삭제 할 수 없습니다.\r\n\r\n"
                                                 "이미 삭제되었거나, 삭제할 수 없는 경우가 발생했습니다."),
                                  {code}));
        return false;
    case CustomerService::Status::Reported:
        return false;
    case CustomerService::Status::Failed:
        break;
    }
    ShowErrorInfo(QStringLiteral("자료를 삭제하는 중 오류가 발생했습니다."), r.error);
    return false;
}
