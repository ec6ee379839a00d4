#include "masters/gui/CustomerScreens.h"

#include "db/DbError.h"
#include "db/MduAdoDB.h"
#include "db/modDBQuery.h"

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
    const DbConnection::ExecResult r =
        gMainConn.exec(QStringLiteral("DELETE FROM 고객 WHERE 코드 = ") + SQLLiteral(code));
    if (!r.ok) {
        // Orders and services keep the customer's code: the schema's relationships refuse the delete then.
        if (r.error.number == DbErr::kUnspecified)
            ShowInfo(QStringLiteral("해당 자료가 다른자료와 연결되어 있어 삭제할 수 없습니다."));
        else
            ShowErrorInfo(QStringLiteral("자료를 삭제하는 중 오류가 발생했습니다."), r.error);
        return false;
    }
    if (r.rowsAffected == 0) {
        ShowWarning(FormatMessage(QStringLiteral("코드『%0』에 해당하는 자료를 삭제 할 수 없습니다.\r\n\r\n"
                                                 "이미 삭제되었거나, 삭제할 수 없는 경우가 발생했습니다."),
                                  {code}));
        return false;
    }
    return true;
}
