#pragma once

// Column numbers of the main screen's grids, as the operators' manual numbers them.
namespace FrmMainCols {
enum MCol
{
    mCust = 1,
    mPhone = 2,
    mStore = 3,
    mStoreName = 4,
    mOrderNo = 5,
    mDate = 6,
    mTime = 7,
    mPassed = 8
};
enum DCol
{
    dMenu = 1,
    dMenuName = 2,
    dQty = 3,
    dPrice = 4,
    dAmount = 5,
    dPoint = 6,
    dMemo = 7,
    dOrderNo = 8,
    dLineNo = 9,
    dSumQty = 10,
    dSumAmount = 11,
    dSumPoint = 12
};
} // namespace FrmMainCols
