#include "masters/gui/Pick.h"

#include "ui/MsgBox.h"
#include "ui/TextUtil.h"
#include "ui/gui/InputUtil.h"
#include "ui/gui/ModalSeam.h"
#include "ui/gui/RecordScreens.h"
#include "ui/gui/ScreenCatalogue.h"

#include <QDialog>

namespace {
void placeAt(QDialog* dialog, QPoint anchor)
{
    if (dialog && !anchor.isNull())
        dialog->move(anchor);
}

QString splitResult(const QString& result, QString& code)
{
    const QStringList parts = result.split(kNul);
    code = parts.value(0);
    return parts.value(1);
}

// One match is taken without showing the picker; several are shown for the operator to choose.
QString chosenRecord(RecordPicker& picker, int matches, QPoint anchor)
{
    if (matches >= 2) {
        placeAt(picker.dialog(), anchor);
        ExecModal(picker.dialog());
    }
    return picker.result();
}
} // namespace

QString PickRecord(const QString& itemName, const QString& pickerName, const QString& editorName,
                   const QString& searchText, QString& code, QPoint anchor, bool allowRegister,
                   const QString& extra)
{
    if (!CheckSearchText(searchText))
        return QString();
    std::unique_ptr<RecordPicker> picker = ScreenCatalogue::Instance().CreatePicker(pickerName);
    if (!picker)
        return QString();
    const int n = picker->FindRecords(searchText, extra);
    const QString title = itemName + QStringLiteral(" 검색");
    const QString sentence =
        searchText.isEmpty()
            ? QStringLiteral("등록된 ") + itemName + QStringLiteral("이 없습니다.")
            : QStringLiteral("검색한 ") + itemName + QStringLiteral("이 등록되어 있지 않습니다.");
    if (n <= 0) {
        if (!allowRegister) {
            ShowInfo(sentence, title);
            return QString();
        }
        if (AskYesNo(sentence + kCrLf + QStringLiteral("신규 등록하겠습니까?"), title, true) !=
            MsgAnswer::Yes)
            return QString();
        std::unique_ptr<RecordEditor> editor = ScreenCatalogue::Instance().CreateEditor(editorName);
        if (!editor)
            return QString();
        editor->Init(EditorMode::Add, nullptr, searchText);
        placeAt(editor->dialog(), anchor);
        ExecModal(editor->dialog());
        const QString added = editor->AddedRec();
        if (added.isEmpty())
            return QString();
        return splitResult(added, code);
    }
    const QString result = chosenRecord(*picker, n, anchor);
    if (result.isEmpty())
        return QString();
    return splitResult(result, code);
}

QString PickCustomer(const QString& searchText, QString& code, QPoint anchor, bool allowRegister,
                     CustomerNumber number)
{
    return PickRecord(QStringLiteral("고객"), QStringLiteral("FrmCust_sel"), QStringLiteral("FrmCust_save"),
                      searchText, code, anchor, allowRegister,
                      number == CustomerNumber::First ? QStringLiteral("True") : QStringLiteral("False"));
}

QString PickStore(const QString& searchText, QString& code, QPoint anchor, bool allowRegister)
{
    return PickRecord(QStringLiteral("가맹점"), QStringLiteral("FrmMemb_sel"), QStringLiteral("FrmMemb_save"),
                      searchText, code, anchor, allowRegister);
}

QString PickMenu(const QString& storeArg1, const QString& storeArg2, const QString& searchText, QString& code,
                 QPoint anchor, PickChoice choice)
{
    if (!CheckSearchText(searchText))
        return QString();
    std::unique_ptr<RecordPicker> picker =
        ScreenCatalogue::Instance().CreatePicker(QStringLiteral("FrmMenu_sel"));
    if (!picker)
        return QString();
    const bool multiple = choice == PickChoice::Multiple;
    if (multiple)
        picker->SetMultyMode();
    const int n = picker->FindRecords(searchText, storeArg1 + kNul + storeArg2);
    if (n <= 0) {
        ShowInfo((searchText.isEmpty() ? QStringLiteral("등록된 메뉴가 없습니다.")
                                       : QStringLiteral("검색한 메뉴가 등록되어 있지 않습니다.")) +
                     kCrLf + QStringLiteral("가맹점관리에서 메뉴를 먼저 등록하세요."),
                 QStringLiteral("메뉴 검색"));
        return QString();
    }
    const QString result = chosenRecord(*picker, n, anchor);
    if (result.isEmpty())
        return QString();
    const QString name = splitResult(result.mid(1), code);
    return multiple ? result : name;
}
