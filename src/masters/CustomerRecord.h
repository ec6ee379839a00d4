#pragma once

#include "ui/ErrInfo.h"

#include <QString>

#include <array>
#include <optional>

// One customer row (고객) as the screens show and edit it.
struct CustomerRecord
{
    QString code;
    std::array<QString, 4> tel;
    QString post;
    QString addr1;
    QString addr2;
    QString memo;
    qint64 basePoints = 0;
    qint64 curPoints = 0;

    // 주소1 and 주소2 as one line.
    QString address() const { return addr1 + QLatin1Char(' ') + addr2; }

    // The customer of that code; nothing when there is none or the read failed (*error tells it, and is
    // left empty when there is none).
    static std::optional<CustomerRecord> Load(const QString& code, ErrInfo* error = nullptr);
    // The customer's 현포인트 as stored now (other seats post points too).
    static std::optional<qint64> CurrentPoints(const QString& code, ErrInfo* error = nullptr);
};
