// One password check at today's count, as the login and the administrator prompt make it: the wall clock
// and this process's processor time (a busy machine stretches the first, hardly the second).
#include "Bench.h"

#include "admin/PasswordHash.h"

#include <cstdlib>
#include <ctime>

namespace {
double processMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}
} // namespace

ZK_BENCH("passwords: one check")
{
    Q_UNUSED(ctx);
    using PasswordHash::LetterCase;
    const QString stored = PasswordHash::Make(QStringLiteral("관리자암호1"), LetterCase::Ignored);
    constexpr int kRuns = 9;
    const double before = processMs();
    const double wall = BenchMedianMs(kRuns, [&] {
        if (!PasswordHash::Matches(QStringLiteral("관리자암호1"), stored, LetterCase::Ignored))
            std::abort();
    });
    const double cpu = (processMs() - before) / kRuns;
    BenchReport(
        QStringLiteral("password check, PBKDF2-HMAC-SHA256, %1 iterations").arg(PasswordHash::Iterations()),
        wall, -1,
        QStringLiteral("median of %1; processor time %2 ms a check").arg(kRuns).arg(cpu, 0, 'f', 0));
}
