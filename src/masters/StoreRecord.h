#pragma once

#include "ui/ErrInfo.h"

#include <QString>

#include <array>
#include <optional>

// One store row (가맹점) as the screens show and edit it.
struct StoreRecord
{
    QString code;
    QString name; // 상호
    std::array<QString, 4> tel;
    QString post;
    QString addr1;
    QString addr2;
    QString memo;
    QString open;    // 영업시작 "HH:MM"
    QString close;   // 영업종료 "HH:MM"
    double rate = 0; // 수수료율
    // 수수료율 as the engine gives its text.
    QString rateText;
    double baseBalance = 0; // 기초잔액
    double balance = 0;     // 현잔액

    // 주소1 and 주소2 as one line.
    QString address() const { return addr1 + QLatin1Char(' ') + addr2; }

    // The store of that code; nothing when there is none or the read failed (*error tells it, and is left
    // empty when there is none).
    static std::optional<StoreRecord> Load(const QString& code, ErrInfo* error = nullptr);
    // The store's 현잔액 as stored now (other seats post commissions too).
    static std::optional<double> CurrentBalance(const QString& code, ErrInfo* error = nullptr);
};
