// The data-compression companion: started by the program with "", "SERVERUP", "AS" or "UNZIP" once it is
// ending, it waits for the program to be gone, then backs up, packs for after-sales or restores.

#include "DataPack.h"
#include "app/AppLog.h"
#include "app/AppPaths.h"
#include "app/FileModes.h"
#include "app/start/MduMain.h"
#include "db/ServerAddress.h"
#include "ui/ErrorText.h"
#include "ui/KoreanTranslation.h"
#include "ui/MsgBox.h"
#include "ui/gui/WidgetPrompter.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>

namespace {

// The small window that shows a job's progress, with cancel while cancelling is safe: a restore that has
// begun to replace the files (from `decidedAt` percent) is finished.
class ProgressWindow : public QDialog
{
public:
    ProgressWindow(const QString& title, int decidedAt) : m_decidedAt(decidedAt)
    {
        setWindowTitle(title);
        m_step = new QLabel(QStringLiteral("준비 중"), this);
        m_bar = new QProgressBar(this);
        m_bar->setRange(0, 100);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(m_step);
        layout->addWidget(m_bar);
        m_cancel = new QPushButton(QStringLiteral("취소"), this);
        connect(m_cancel, &QPushButton::clicked, this, [this] {
            m_cancelled = true;
            m_cancel->setEnabled(false);
            m_step->setText(QStringLiteral("취소하는 중"));
        });
        layout->addWidget(m_cancel, 0, Qt::AlignRight);
        resize(420, sizeHint().height());
    }
    bool update(int percent, const QString& step)
    {
        if (!m_cancelled)
            m_step->setText(step);
        m_bar->setValue(percent);
        if (percent >= m_decidedAt)
            m_cancel->setEnabled(false);
        QApplication::processEvents();
        return !m_cancelled;
    }

protected:
    // Escape or the window's close button ask for what 취소 does, while it is offered.
    void reject() override
    {
        if (m_cancel->isEnabled())
            m_cancel->click();
    }

private:
    QLabel* m_step = nullptr;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_cancel = nullptr;
    int m_decidedAt;
    bool m_cancelled = false;
};

// Lists the archives newest first; "" when the operator cancels. `target` names what a restore replaces.
QString chooseArchive(const QStringList& archives, const QString& target)
{
    QDialog d;
    d.setWindowTitle(QStringLiteral("데이터 가져오기 - 백업 선택"));
    auto* list = new QListWidget(&d);
    for (const QString& a : archives)
        list->addItem(QFileInfo(a).fileName());
    list->setCurrentRow(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &d);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("복구"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("취소"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &d, &QDialog::accept);
    auto* layout = new QVBoxLayout(&d);
    layout->addWidget(
        new QLabel(QStringLiteral("복구할 백업을 고르세요. (최근 것이 위)\n바뀌는 곳: ") + target, &d));
    layout->addWidget(list);
    layout->addWidget(buttons);
    d.resize(420, 320);
    if (d.exec() != QDialog::Accepted || list->currentRow() < 0)
        return QString();
    return archives.at(list->currentRow());
}

// The program holds its single-copy lock until it has ended; the companion then holds it itself, so the
// program cannot start again while the data is being copied or replaced.
bool waitForProgramEnd(int seconds)
{
    QElapsedTimer t;
    t.start();
    while (!AcquireSingleInstance()) {
        if (t.elapsed() > seconds * 1000 || DataPack::StopRequested())
            return false;
        QThread::msleep(300);
        QApplication::processEvents();
    }
    return true;
}

// A failure whose Korean sentence is followed by the words of the archive library, the database engine or
// the system shows in the form of the error box: what failed, what to do, then the words in Korean and as
// they were. Any other failure is the companion's own Korean message.
void showFailure(const QString& text)
{
    const qsizetype lineEnd = text.indexOf(QLatin1Char('\n'));
    const ErrInfo cause{0, lineEnd < 0 ? QString() : text.mid(lineEnd + 1).trimmed()};
    if (!cause.description.isEmpty() && DescribeError(cause).kind != ErrorMeaning::Unknown)
        ShowEngineError(text.left(lineEnd), cause, QStringLiteral("데이터압축"));
    else
        ShowWarning(text, QStringLiteral("데이터압축"));
}

// The jobs by their word on the command line (in any case); no word is a backup.
const std::pair<const char*, DataPack::Job> kJobWords[] = {{"UNZIP", DataPack::Job::Restore},
                                                           {"AS", DataPack::Job::AfterSales},
                                                           {"SERVERUP", DataPack::Job::ServerCopy}};

} // namespace

int main(int argc, char* argv[])
{
    // From a terminal the companion needs no display, nor does its help.
    for (int i = 1; i < argc; ++i)
        if ((qstrcmp(argv[i], "--cli") == 0 || qstrcmp(argv[i], "--help") == 0 ||
             qstrcmp(argv[i], "-h") == 0) &&
            qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    // Backups and logs hold every customer's number and address: born the user's alone, also from a
    // terminal; the shared databases are given their group's modes by name.
    FileModes::RestrictNewFiles();
    QApplication app(argc, argv);
    const bool translated = KoreanTranslation::Install();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Zelkova의 데이터를 백업하고, A/S접수용으로 묶고, 백업에서 복구합니다. 프로그램이 끝나기를 "
        "기다렸다가 작업합니다."));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("이 도움말을 보여 줍니다."));
    const QCommandLineOption homeOption(
        QStringLiteral("home"),
        QStringLiteral("프로그램 폴더(없으면 환경변수 ZELKOVA_HOME, 그것도 없으면 ~/.local/share/zelkova)."),
        QStringLiteral("DIR"));
    const QCommandLineOption cliOption(
        QStringLiteral("cli"),
        QStringLiteral("화면 없이 터미널에서 실행합니다: 진행과 메시지는 표준 출력과 표준 오류로 갑니다."));
    const QCommandLineOption archiveOption(QStringLiteral("archive"),
                                           QStringLiteral("(UNZIP과 함께) 묻지 않고 이 백업을 복구합니다."),
                                           QStringLiteral("FILE"));
    parser.addOptions({helpOption, homeOption, cliOption, archiveOption});
    parser.addPositionalArgument(
        QStringLiteral("작업"),
        QStringLiteral("없으면 백업. AS: A/S접수용 묶음, UNZIP: 백업에서 복구, SERVERUP: "
                       "백업하고 두 번째 백업 폴더에도 복사."),
        QStringLiteral("[AS|UNZIP|SERVERUP]"));
    const auto usageError = [&](const QString& text) {
        std::fprintf(stderr, "%s\n\n%s", qUtf8Printable(text), qUtf8Printable(parser.helpText()));
        return 1;
    };
    if (!parser.parse(QApplication::arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(helpOption)) {
        std::fprintf(stdout, "%s", qUtf8Printable(parser.helpText()));
        return 0;
    }
    const QStringList words = parser.positionalArguments();
    if (words.size() > 1)
        return usageError(QStringLiteral("작업은 하나만 쓰세요: ") + words.join(QLatin1Char(' ')));
    DataPack::Job job = DataPack::Job::Backup;
    if (const QString word = words.value(0).trimmed().toUpper(); !word.isEmpty()) {
        const auto* found = std::find_if(std::begin(kJobWords), std::end(kJobWords),
                                         [&](const auto& w) { return word == QLatin1String(w.first); });
        if (found == std::end(kJobWords))
            return usageError(QStringLiteral("알 수 없는 작업: ") + words.first());
        job = found->second;
    }
    if (parser.isSet(homeOption)) {
        AppPaths::SetProgramFolder(parser.value(homeOption));
    } else {
        QStringList none;
        AppPaths::InitFromArgs(none);
    }
    const bool cli = parser.isSet(cliOption);
    QString chosen = parser.value(archiveOption);
    WidgetPrompter prompter;
    if (!cli)
        SetPrompter(&prompter);
    auto tell = [cli](bool ok, const QString& text) {
        // Asked to end, it leaves no box behind for nobody to answer; the log has the message.
        if (cli || DataPack::StopRequested())
            std::fprintf(ok ? stdout : stderr, "%s\n", text.toLocal8Bit().constData());
        else if (ok)
            ShowInfo(text, QStringLiteral("데이터압축"));
        else
            showFailure(text);
        return ok ? 0 : 1;
    };

    // Exactly the installation named by --home (or ZELKOVA_HOME): the database folder that folder's program
    // remembered, never one remembered for another folder.
    const DataPack::Places places = DataPack::CurrentPlaces();
    AppLog::Start(places.programFolder + QStringLiteral("/Log"));
    if (!translated)
        AppLog::Write(QStringLiteral("경고"),
                      QStringLiteral("Qt 한국어 번역을 읽지 못함: ") + KoreanTranslation::FilePath());
    // Logout, shutdown or a kill stop the job where that is safe (a backup's unfinished archive removed, a
    // restore that has begun replacing finished); an open question is answered as its 취소 would be.
    DataPack::StopOnEndRequests([](const QString& cause) {
        AppLog::Write(QStringLiteral("종료 요청"),
                      cause + QStringLiteral(": 안전한 곳에서 작업을 멈춥니다."));
        while (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            dialog->done(QDialog::Rejected);
            if (QApplication::activeModalWidget() == dialog)
                break;
        }
    });

    if (!waitForProgramEnd(60))
        return tell(false, DataPack::StopRequested()
                               ? QStringLiteral("종료 요청으로 작업을 시작하지 않았습니다.")
                               : QStringLiteral("프로그램이 아직 실행 중이어서 작업을 시작하지 못했습니다.\n"
                                                "프로그램을 종료한 뒤 다시 실행하세요."));

    // A restore killed once it had begun to replace the files is finished before anything else.
    if (const DataPack::Outcome finished = DataPack::FinishInterruptedRestore(places); !finished.ok)
        return tell(false, finished.message);
    else if (!finished.message.isEmpty())
        AppLog::Write(QStringLiteral("데이터압축"), finished.message);

    for (const QString& gone : DataPack::Tidy(places))
        AppLog::Write(QStringLiteral("데이터압축"),
                      QStringLiteral("지난 실행이 남긴 것을 지웠습니다: ") + gone);

    const QString title = job == DataPack::Job::Restore      ? QStringLiteral("데이터 가져오기")
                          : job == DataPack::Job::AfterSales ? QStringLiteral("데이터 A/S접수")
                                                             : QStringLiteral("데이터 백업");
    ProgressWindow window(title, job == DataPack::Job::Restore ? 95 : 100);
    QString lastLine;
    DataPack::Progress progress = [&](int percent, const QString& step) {
        if (cli) {
            // A server's tool reports while it works; the terminal gets a line only when something changed.
            const QString line = QStringLiteral("%1% %2").arg(percent, 3).arg(step);
            if (line == lastLine)
                return true;
            lastLine = line;
            std::printf("%s\n", line.toLocal8Bit().constData());
            std::fflush(stdout);
            return true;
        }
        return window.update(percent, step);
    };
    DataPack::Outcome outcome;
    if (job == DataPack::Job::Restore) {
        if (chosen.isEmpty()) {
            const QStringList archives = DataPack::Archives(places);
            if (archives.isEmpty())
                return tell(false,
                            QStringLiteral("복구할 백업이 없습니다.\n") + DataPack::BackupFolder(places));
            QString target = places.databaseFolder;
            if (ServerAddress a; ServerAddress::Parse(places.serverAddress, &a, nullptr))
                target = a.describe();
            chosen = cli ? archives.first() : chooseArchive(archives, target);
            if (chosen.isEmpty() || DataPack::StopRequested())
                return tell(true, QStringLiteral("복구하지 않았습니다."));
        }
        if (!cli)
            window.show();
        outcome = DataPack::RestoreArchive(places, chosen, QDateTime::currentDateTime(), progress);
    } else {
        if (!cli)
            window.show();
        outcome = DataPack::MakeArchive(places, job, QDateTime::currentDateTime(), progress);
    }
    window.hide();
    AppLog::Write(outcome.ok ? QStringLiteral("데이터압축") : QStringLiteral("오류"), outcome.message);
    ReleaseSingleInstance();
    return tell(outcome.ok, outcome.message);
}
