#include "app/SettingKeys.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <algorithm>
#include <functional>

// The layers as the tree shows them: a source's path says whether it is core or GUI (a folder named "gui"
// in it makes it GUI), CMake must build it into that library, a core source includes no GUI header, the
// folders under src/ include each other without a loop, no screen writes to the database itself nor reads
// customers or stores, and settings are named only by the settings table.
class TestLayers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void sourcesInTheirPathsLibrary_data();
    void sourcesInTheirPathsLibrary();
    void everySourceBuilt();
    void coreIncludesNoGuiHeader();
    void foldersIncludeWithoutLoop();
    void settingsOnlyThroughTheTable();
    void guiSourcesWriteNoSql_data();
    void guiSourcesWriteNoSql();
    void guiSourcesReadNoCustomersOrStores_data();
    void guiSourcesReadNoCustomersOrStores();

private:
    // Source files under src/, by path relative to it, with the project headers each includes.
    QHash<QString, QStringList> m_includes;
};

namespace {
const QString kRoot = QStringLiteral(ZK_SOURCE_ROOT);

bool isGuiPath(const QString& relative)
{
    return relative.split(QLatin1Char('/')).contains(QLatin1String("gui"));
}

QString folderOf(const QString& relative)
{
    const int slash = relative.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : relative.left(slash);
}

// The sources CMake lists for a target, relative to src/ (generated files and those outside src/ left out).
QStringList listedSources(const QString& listFile)
{
    QFile f(listFile);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList out;
    const QDir root(kRoot);
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QString path = QDir::cleanPath(root.absoluteFilePath(QString::fromUtf8(line.trimmed())));
        const QString rel = root.relativeFilePath(path);
        if (!line.trimmed().isEmpty() && !rel.startsWith(QLatin1String("..")) && QFileInfo::exists(path))
            out << rel;
    }
    return out;
}
} // namespace

void TestLayers::initTestCase()
{
    static const QRegularExpression include(QStringLiteral("^\\s*#\\s*include\\s+\"([^\"]+)\""),
                                            QRegularExpression::MultilineOption);
    QDirIterator it(kRoot, {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QStringList headers;
        auto m = include.globalMatch(QString::fromUtf8(f.readAll()));
        while (m.hasNext())
            headers << m.next().captured(1);
        m_includes.insert(QDir(kRoot).relativeFilePath(path), headers);
    }
    QVERIFY(m_includes.size() > 100);
}

void TestLayers::sourcesInTheirPathsLibrary_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<bool>("gui");
    QTest::newRow("zelkova_core") << QStringLiteral(ZK_CORE_LIST) << false;
    QTest::newRow("zelkova_gui") << QStringLiteral(ZK_GUI_LIST) << true;
    QTest::newRow("zelkova") << QStringLiteral(ZK_PROGRAM_LIST) << true;
}

void TestLayers::sourcesInTheirPathsLibrary()
{
    QFETCH(QString, list);
    QFETCH(bool, gui);
    const QStringList sources = listedSources(list);
    QVERIFY2(!sources.isEmpty(), qPrintable(list));
    QStringList wrong;
    for (const QString& s : sources) {
        if (isGuiPath(s) != gui)
            wrong << s;
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(QStringLiteral("in the other layer's folder: ") + wrong.join(u' ')));
}

void TestLayers::everySourceBuilt()
{
    QSet<QString> built;
    for (const char* list : {ZK_CORE_LIST, ZK_GUI_LIST, ZK_PROGRAM_LIST}) {
        for (const QString& s : listedSources(QString::fromUtf8(list)))
            built.insert(s);
    }
    QStringList stray;
    for (auto it = m_includes.cbegin(); it != m_includes.cend(); ++it) {
        if (!built.contains(it.key()))
            stray << it.key();
    }
    stray.sort();
    QVERIFY2(stray.isEmpty(), qPrintable(QStringLiteral("not in any library: ") + stray.join(u' ')));
}

void TestLayers::coreIncludesNoGuiHeader()
{
    QStringList wrong;
    for (auto it = m_includes.cbegin(); it != m_includes.cend(); ++it) {
        if (isGuiPath(it.key()))
            continue;
        for (const QString& h : it.value()) {
            if (m_includes.contains(h) && isGuiPath(h))
                wrong << it.key() + QStringLiteral(" -> ") + h;
        }
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
}

void TestLayers::foldersIncludeWithoutLoop()
{
    // folder -> folder it includes from -> one include that does it
    QHash<QString, QHash<QString, QString>> edges;
    for (auto it = m_includes.cbegin(); it != m_includes.cend(); ++it) {
        const QString from = folderOf(it.key());
        for (const QString& h : it.value()) {
            const QString to = folderOf(h);
            if (m_includes.contains(h) && to != from && !edges[from].contains(to))
                edges[from].insert(to, it.key() + QStringLiteral(" -> ") + h);
        }
    }
    // Depth-first: a folder met again while it is still on the path closes a loop.
    QHash<QString, int> state; // 1 on the path, 2 done
    QStringList path;
    QString loop;
    std::function<void(const QString&)> visit = [&](const QString& folder) {
        state[folder] = 1;
        path << folder;
        QStringList next = edges.value(folder).keys();
        next.sort();
        for (const QString& to : next) {
            if (!loop.isEmpty())
                return;
            if (state.value(to) == 1) {
                const QStringList cycle = path.mid(path.indexOf(to)) << to;
                for (int i = 0; i + 1 < cycle.size(); ++i)
                    loop += edges[cycle.at(i)][cycle.at(i + 1)] + QLatin1Char('\n');
            } else if (state.value(to) == 0) {
                visit(to);
            }
        }
        path.removeLast();
        state[folder] = 2;
    };
    QStringList folders = edges.keys();
    folders.sort();
    for (const QString& f : folders) {
        if (state.value(f) == 0 && loop.isEmpty())
            visit(f);
    }
    QVERIFY2(loop.isEmpty(), qPrintable(QStringLiteral("folders include each other in a loop:\n") + loop));
}

// A key name typed anywhere else would be read unchecked, or under a misspelt name that no seat's file
// holds: the product and its tools name settings only through app/SettingKeys.
void TestLayers::settingsOnlyThroughTheTable()
{
    QStringList quotedNames;
    for (const Settings::Row& row : Settings::Table())
        quotedNames << QLatin1Char('"') + QString::fromUtf8(row.name) + QLatin1Char('"');
    static const QRegularExpression byText(QStringLiteral(
        "UserSettings::(Get|Save|GetSetting|SaveSetting|DeleteSetting|GetInstallationSetting|"
        "SaveInstallationSetting)\\s*\\(|\\b(Get|Read|Peek|Save)Config\\s*\\(\\s*(QStringLiteral|"
        "QLatin1String|QString\\b|u?\")"));
    const QSet<QString> settingsFiles{
        QStringLiteral("app/SettingKeys.h"), QStringLiteral("app/SettingKeys.cpp"),
        QStringLiteral("app/UserSettings.h"), QStringLiteral("app/UserSettings.cpp")};
    QStringList wrong;
    int scanned = 0;
    for (const QString& top : {kRoot, kRoot + QStringLiteral("/../tools")}) {
        QDirIterator it(top, {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString rel = QDir(kRoot).relativeFilePath(path);
            if (settingsFiles.contains(rel))
                continue;
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            ++scanned;
            int lineNo = 0;
            for (const QString& line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
                ++lineNo;
                if (line.trimmed().startsWith(QLatin1String("//")))
                    continue;
                const auto named = std::find_if(quotedNames.cbegin(), quotedNames.cend(),
                                                [&](const QString& n) { return line.contains(n); });
                if (named != quotedNames.cend() || byText.match(line).hasMatch())
                    wrong << QStringLiteral("%1:%2: %3").arg(rel).arg(lineNo).arg(line.trimmed());
            }
        }
    }
    QVERIFY(scanned > 100);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
}

void TestLayers::guiSourcesWriteNoSql_data()
{
    QTest::addColumn<QString>("keyword");
    for (const char* k : {"INSERT", "UPDATE", "DELETE"})
        QTest::newRow(k) << QString::fromLatin1(k);
}

void TestLayers::guiSourcesWriteNoSql()
{
    // Writes belong to the core services: a string literal of a GUI source holding the keyword as SQL writes
    // it is a statement built in a screen.
    QFETCH(QString, keyword);
    static const QRegularExpression literal(QStringLiteral("\"((?:[^\"\\\\\n]|\\\\.)*)\""));
    const QRegularExpression word(QStringLiteral("\\b") + keyword + QStringLiteral("\\b"));
    QStringList found;
    for (auto it = m_includes.cbegin(); it != m_includes.cend(); ++it) {
        if (!isGuiPath(it.key()))
            continue;
        QFile f(kRoot + QLatin1Char('/') + it.key());
        QVERIFY(f.open(QIODevice::ReadOnly));
        int lineNo = 0;
        for (const QByteArray& line : f.readAll().split('\n')) {
            ++lineNo;
            auto m = literal.globalMatch(QString::fromUtf8(line));
            while (m.hasNext()) {
                if (m.next().captured(1).contains(word))
                    found << it.key() + QLatin1Char(':') + QString::number(lineNo);
            }
        }
    }
    found.sort();
    QVERIFY2(found.isEmpty(), qPrintable(found.join(u' ')));
}

void TestLayers::guiSourcesReadNoCustomersOrStores_data()
{
    QTest::addColumn<QString>("table");
    for (const char* t : {"고객", "가맹점"})
        QTest::newRow(t) << QString::fromUtf8(t);
}

void TestLayers::guiSourcesReadNoCustomersOrStores()
{
    // Customers and stores are read through the core's records and queries: a SELECT of a GUI source whose
    // FROM or JOIN names the table is a read built in a screen. A statement may run over several literals,
    // so each file's literals are read as one text.
    QFETCH(QString, table);
    static const QRegularExpression literal(QStringLiteral("\"((?:[^\"\\\\\n]|\\\\.)*)\""));
    const QRegularExpression read(QStringLiteral("\\bSELECT\\b(?:(?!\\bSELECT\\b).)*?\\b(?:FROM|JOIN)\\s+") +
                                  table + QStringLiteral("(?![\\p{L}\\p{N}_])"));
    QStringList found;
    for (auto it = m_includes.cbegin(); it != m_includes.cend(); ++it) {
        if (!isGuiPath(it.key()))
            continue;
        QFile f(kRoot + QLatin1Char('/') + it.key());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QString texts;
        for (const QByteArray& line : f.readAll().split('\n')) {
            auto m = literal.globalMatch(QString::fromUtf8(line));
            while (m.hasNext())
                texts += m.next().captured(1) + QLatin1Char(' ');
        }
        if (read.match(texts).hasMatch())
            found << it.key();
    }
    found.sort();
    QVERIFY2(found.isEmpty(), qPrintable(found.join(u' ')));
}

QTEST_GUILESS_MAIN(TestLayers)
#include "tst_layers.moc"
