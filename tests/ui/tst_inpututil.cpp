#include "support/ScriptedPrompter.h"
#include "ui/KoreanTranslation.h"
#include "ui/gui/ByteLimitedLineEdit.h"
#include "ui/gui/InputUtil.h"
#include "ui/gui/PhoneField.h"
#include "ui/gui/StrayKeyGuard.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

// A window with three line edits and a plain text edit in tab order, shown and active.
class FieldWindow
{
public:
    FieldWindow()
    {
        auto* layout = new QVBoxLayout(&window);
        for (int i = 0; i < 3; ++i) {
            edits[i] = new QLineEdit(&window);
            layout->addWidget(edits[i]);
        }
        memo = new QPlainTextEdit(&window);
        layout->addWidget(memo);
        window.show();
        window.activateWindow();
    }
    bool ready() { return QTest::qWaitForWindowActive(&window); }

    QWidget window;
    QLineEdit* edits[3] = {};
    QPlainTextEdit* memo = nullptr;
};

class TestInputUtil : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void checkRequired_data();
    void checkRequired();
    void checkRequiredLeavesHiddenFocus();
    void maxByteLength();
    void byteLimitedEdit();
    void enterNextField_data();
    void enterNextField();
    void selectAllText();
    void optionIndex();
    void hangulHint();
    void shellOpenUrl();
    void qtOwnTextsKorean();
    void strayLetters_data();
    void strayLetters();
    void phoneField();
};

void TestInputUtil::checkRequired_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("zeroIsEmpty");
    QTest::addColumn<QString>("message"); // empty: nothing missing

    const QString labelled = QStringLiteral("[상호]은(는) 필수 입력 사항입니다.");
    const QString unlabelled = QStringLiteral("필수 입력사항을 입력하지 않았습니다.");
    QTest::newRow("empty") << "edit"
                           << ""
                           << "상호" << false << labelled;
    QTest::newRow("blanks only") << "edit"
                                 << "   "
                                 << "상호" << false << labelled;
    QTest::newRow("no label") << "edit"
                              << ""
                              << "" << false << unlabelled;
    QTest::newRow("value") << "edit"
                           << "김밥천국"
                           << "상호" << false << "";
    QTest::newRow("zero is a value") << "edit"
                                     << "0"
                                     << "상호" << false << "";
    QTest::newRow("zero is missing") << "edit"
                                     << "0"
                                     << "상호" << true << labelled;
    QTest::newRow("ten is not zero") << "edit"
                                     << "10"
                                     << "상호" << true << "";
    QTest::newRow("combo empty") << "combo"
                                 << ""
                                 << "상호" << false << labelled;
    QTest::newRow("combo value") << "combo"
                                 << "중식"
                                 << "상호" << false << "";
    QTest::newRow("memo empty") << "memo"
                                << ""
                                << "상호" << false << labelled;
    QTest::newRow("memo value") << "memo"
                                << "메모"
                                << "상호" << false << "";
}

void TestInputUtil::checkRequired()
{
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QString, label);
    QFETCH(bool, zeroIsEmpty);
    QFETCH(QString, message);

    FieldWindow w;
    QVERIFY(w.ready());
    QWidget* control = nullptr;
    if (kind == QLatin1String("edit")) {
        control = w.edits[2];
        w.edits[2]->setText(text);
    } else if (kind == QLatin1String("combo")) {
        auto* combo = new QComboBox(&w.window);
        combo->setEditable(true);
        combo->setEditText(text);
        w.window.layout()->addWidget(combo);
        combo->show();
        control = combo;
    } else {
        control = w.memo;
        w.memo->setPlainText(text);
    }
    w.edits[0]->setFocus();

    ScriptedPrompter prompter;
    const bool missing = CheckRequired(control, label, zeroIsEmpty);
    QCOMPARE(missing, !message.isEmpty());
    if (missing) {
        QCOMPARE(prompter.count(), 1);
        QCOMPARE(prompter.lastText(), message);
        QCOMPARE(prompter.lastTitle(), QStringLiteral("필수입력"));
        QCOMPARE(prompter.shown().first().request.icon, MsgIcon::Information);
        QTRY_VERIFY(control->hasFocus());
    } else {
        QCOMPARE(prompter.count(), 0);
        QVERIFY(w.edits[0]->hasFocus());
    }
}

void TestInputUtil::checkRequiredLeavesHiddenFocus()
{
    FieldWindow w;
    QVERIFY(w.ready());
    w.edits[0]->setFocus();
    w.edits[1]->setEnabled(false);
    w.edits[2]->hide();
    ScriptedPrompter prompter;
    QVERIFY(CheckRequired(w.edits[1], QStringLiteral("전화")));
    QVERIFY(CheckRequired(w.edits[2], QStringLiteral("전화")));
    QCOMPARE(prompter.count(), 2);
    QVERIFY(w.edits[0]->hasFocus());
}

void TestInputUtil::maxByteLength()
{
    FieldWindow w;
    QVERIFY(w.ready());
    w.edits[0]->setFocus();
    ScriptedPrompter prompter;

    w.edits[1]->setText(QStringLiteral("가나다"));
    QVERIFY(CheckMaxByteLength(w.edits[1], 6));
    QVERIFY(CheckMaxByteLength(w.edits[1], 0)); // no limit
    QCOMPARE(prompter.count(), 0);

    QVERIFY(!CheckMaxByteLength(w.edits[1], 5));
    QCOMPARE(prompter.lastText(), QStringLiteral("최대입력길이를 넘었습니다.\r\n최대입력길이는 5입니다.\r\n"
                                                 "한글은 한 글자당 길이가 2입니다."));
    QCOMPARE(prompter.shown().last().request.icon, MsgIcon::Information);
    QVERIFY(w.edits[1]->hasFocus());
}

void TestInputUtil::byteLimitedEdit()
{
    FieldWindow w;
    QVERIFY(w.ready());
    ByteLimitedLineEdit edit(5, &w.window);
    edit.show();
    edit.setFocus();
    QVERIFY(edit.hasFocus());

    QTest::keyClicks(&edit, QStringLiteral("ab"));
    edit.insert(QStringLiteral("가"));
    QCOMPARE(edit.text(), QStringLiteral("ab가"));
    edit.insert(QStringLiteral("나")); // would make 6 bytes
    QCOMPARE(edit.text(), QStringLiteral("ab가"));
    QTest::keyClicks(&edit, QStringLiteral("c"));
    QCOMPARE(edit.text(), QStringLiteral("ab가c"));
    QTest::keyClicks(&edit, QStringLiteral("d"));
    QCOMPARE(edit.text(), QStringLiteral("ab가c"));

    // A text loaded beyond the limit is kept; it can be shortened, but not lengthened.
    w.edits[0]->setFocus();
    edit.setText(QStringLiteral("가나다"));
    QCOMPARE(edit.text(), QStringLiteral("가나다"));
    QVERIFY(edit.hasAcceptableInput()); // or editingFinished would never come
    edit.setFocus();
    edit.end(false);
    QTest::keyClicks(&edit, QStringLiteral("x"));
    QCOMPARE(edit.text(), QStringLiteral("가나다"));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QCOMPARE(edit.text(), QStringLiteral("가나"));
    QVERIFY(edit.checkLength());

    ScriptedPrompter prompter;
    edit.setText(QStringLiteral("가나다"));
    QVERIFY(!edit.checkLength());
    QCOMPARE(prompter.count(), 1);

    edit.setMaxBytes(0);
    QTest::keyClicks(&edit, QStringLiteral("xyz"));
    QCOMPARE(edit.text(), QStringLiteral("가나다xyz"));
}

void TestInputUtil::enterNextField_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("leftRight");
    QTest::addColumn<bool>("handled");
    QTest::addColumn<int>("focusAfter"); // index of the edit, starting from edit 1

    QTest::newRow("Enter") << int(Qt::Key_Return) << false << true << 2;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << false << true << 2;
    QTest::newRow("Down") << int(Qt::Key_Down) << false << true << 2;
    QTest::newRow("Up") << int(Qt::Key_Up) << false << true << 0;
    QTest::newRow("Right ignored") << int(Qt::Key_Right) << false << false << 1;
    QTest::newRow("letter ignored") << int(Qt::Key_A) << false << false << 1;
    QTest::newRow("LR Enter") << int(Qt::Key_Return) << true << true << 2;
    QTest::newRow("LR Right") << int(Qt::Key_Right) << true << true << 2;
    QTest::newRow("LR Left") << int(Qt::Key_Left) << true << true << 0;
    QTest::newRow("LR Down ignored") << int(Qt::Key_Down) << true << false << 1;
}

void TestInputUtil::enterNextField()
{
    QFETCH(int, key);
    QFETCH(bool, leftRight);
    QFETCH(bool, handled);
    QFETCH(int, focusAfter);

    FieldWindow w;
    QVERIFY(w.ready());
    w.edits[1]->setFocus();
    QVERIFY(w.edits[1]->hasFocus());
    QCOMPARE(leftRight ? EnterNextFieldLR(key) : EnterNextField(key), handled);
    QVERIFY(w.edits[focusAfter]->hasFocus());
}

void TestInputUtil::selectAllText()
{
    FieldWindow w;
    QVERIFY(w.ready());
    w.edits[2]->setText(QStringLiteral("홍길동"));
    w.edits[2]->setFocus();
    w.edits[2]->deselect();
    SelectAllText();
    QCOMPARE(w.edits[2]->selectedText(), QStringLiteral("홍길동"));

    // Enter from the last line edit reaches the memo without a tab being typed into it.
    EnterNextField(Qt::Key_Return);
    QVERIFY(w.memo->hasFocus());
    QVERIFY(w.memo->toPlainText().isEmpty());
}

void TestInputUtil::optionIndex()
{
    QWidget box;
    QList<QRadioButton*> options;
    for (int i = 0; i < 3; ++i)
        options.append(new QRadioButton(&box));
    QCOMPARE(GetSelOptionIdx(options), 0);
    options[2]->setChecked(true);
    QCOMPARE(GetSelOptionIdx(options), 2);
    options[1] = nullptr; // a gap in the control array
    QCOMPARE(GetSelOptionIdx(options), 2);
    QCOMPARE(GetSelOptionIdx({}), 0);
}

void TestInputUtil::hangulHint()
{
    QLineEdit edit;
    edit.setInputMethodHints(Qt::ImhNoPredictiveText);
    SetHangulModeOf(false, &edit);
    QCOMPARE(edit.inputMethodHints(), Qt::ImhNoPredictiveText | Qt::ImhPreferLatin);
    SetHangulModeOf(true, &edit);
    QCOMPARE(edit.inputMethodHints(), Qt::InputMethodHints(Qt::ImhNoPredictiveText));

    QComboBox combo;
    combo.setEditable(true);
    SetHangulModeOf(false, &combo);
    QVERIFY(combo.lineEdit()->inputMethodHints() & Qt::ImhPreferLatin);
    SetHangulModeOf(false, nullptr); // no control, nothing happens
}

void TestInputUtil::shellOpenUrl()
{
    QCOMPARE(ShellOpenUrl(QStringLiteral("www.example.co.kr")),
             QUrl(QStringLiteral("http://www.example.co.kr")));
    QCOMPARE(ShellOpenUrl(QStringLiteral("https://example.com/a?b=1")),
             QUrl(QStringLiteral("https://example.com/a?b=1")));
    const QString self = QApplication::applicationFilePath();
    QCOMPARE(ShellOpenUrl(self), QUrl::fromLocalFile(self));
    QVERIFY(ShellOpenUrl(QStringLiteral("  ")).isEmpty());
}

// Qt's own dialogs and menus speak Korean whatever the seat's locale (the tests run under C.UTF-8).
void TestInputUtil::qtOwnTextsKorean()
{
    const auto hangul = [](const QString& text) {
        return std::any_of(text.begin(), text.end(),
                           [](QChar c) { return c.unicode() >= 0xAC00 && c.unicode() <= 0xD7A3; });
    };
    QVERIFY2(KoreanTranslation::Install(), qPrintable(KoreanTranslation::FilePath()));
    QInputDialog input;
    input.setLabelText(QStringLiteral("서비스 포인트"));
    input.show();
    const QList<QPushButton*> buttons = input.findChild<QDialogButtonBox*>()->findChildren<QPushButton*>();
    QCOMPARE(buttons.size(), 2);
    for (const QPushButton* b : buttons)
        QVERIFY2(hangul(b->text()), qPrintable(b->text()));
    QLineEdit edit(QStringLiteral("02-555-0199"));
    const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    int entries = 0;
    for (const QAction* a : menu->actions()) {
        if (a->isSeparator())
            continue;
        ++entries;
        QVERIFY2(hangul(a->text()), qPrintable(a->text()));
    }
    QVERIFY(entries >= 6);
    QCOMPARE(QLocale().language(), QLocale::Korean);
}

void TestInputUtil::strayLetters_data()
{
    QTest::addColumn<QString>("field"); // "line", "combo" or "memo"
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("mods");
    QTest::addColumn<QString>("expected"); // the field's text afterwards, starting from "031"
    const int alt = int(Qt::AltModifier), ctrl = int(Qt::ControlModifier), none = int(Qt::NoModifier);
    for (const char* field : {"line", "combo", "memo"}) {
        const QString f = QString::fromLatin1(field);
        QTest::newRow(qPrintable(f + ", Alt+C")) << f << int(Qt::Key_C) << alt << "031";
        QTest::newRow(qPrintable(f + ", Alt+Shift+Q"))
            << f << int(Qt::Key_Q) << (alt | int(Qt::ShiftModifier)) << "031";
        QTest::newRow(qPrintable(f + ", Alt+1")) << f << int(Qt::Key_1) << alt << "031";
        QTest::newRow(qPrintable(f + ", Ctrl+K")) << f << int(Qt::Key_K) << ctrl << "031";
        QTest::newRow(qPrintable(f + ", Ctrl+Alt+B")) << f << int(Qt::Key_B) << (ctrl | alt) << "031";
        QTest::newRow(qPrintable(f + ", plain c")) << f << int(Qt::Key_C) << none << "031c";
    }
    QTest::newRow("line, Ctrl+A then 5 replaces") << "line" << int(Qt::Key_A) << ctrl << "5";
}

void TestInputUtil::strayLetters()
{
    QFETCH(QString, field);
    QFETCH(int, key);
    QFETCH(int, mods);
    QFETCH(QString, expected);
    InstallStrayKeyGuard();
    FieldWindow w;
    auto* combo = new QComboBox(&w.window);
    combo->setEditable(true);
    w.window.layout()->addWidget(combo);
    QVERIFY(w.ready());
    QWidget* target = field == "line"    ? static_cast<QWidget*>(w.edits[0])
                      : field == "combo" ? static_cast<QWidget*>(combo)
                                         : static_cast<QWidget*>(w.memo);
    const auto text = [&] {
        return field == "line"    ? w.edits[0]->text()
               : field == "combo" ? combo->currentText()
                                  : w.memo->toPlainText();
    };
    w.edits[0]->setText("031");
    combo->setEditText("031");
    w.memo->setPlainText("031");
    w.memo->moveCursor(QTextCursor::End);
    target->setFocus();
    QTRY_VERIFY(target->hasFocus());
    // As X11 sends them: Alt keeps the key's character, Ctrl turns a letter into its control character.
    const auto m = Qt::KeyboardModifiers(mods);
    QString chars;
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        chars = m & Qt::ControlModifier ? QString(QChar(char16_t(key - Qt::Key_A + 1)))
                : m & Qt::ShiftModifier ? QString(QChar(char16_t(key)))
                                        : QString(QChar(char16_t(key + 32)));
    else
        chars = QString(QChar(char16_t(key)));
    QTest::sendKeyEvent(QTest::Click, w.window.windowHandle(), Qt::Key(key), chars, m);
    if (expected == "5")
        QTest::sendKeyEvent(QTest::Click, w.window.windowHandle(), Qt::Key_5, "5", Qt::NoModifier);
    QCOMPARE(text(), expected);
}

void TestInputUtil::phoneField()
{
    ScriptedPrompter prompter;
    QLineEdit edit;
    edit.setText("tel 02-123"); // as an older database may hold it
    PhoneField phone(&edit);
    QVERIFY(phone.Accept()); // left alone, the stored text stays
    edit.setText("c");
    QVERIFY(!phone.Accept());
    QCOMPARE(edit.text(), QStringLiteral("tel 02-123"));
    QCOMPARE(prompter.count(), 1);
    edit.setText("031 555 0199 집");
    QVERIFY(phone.Accept());
    edit.setText("x");
    QVERIFY(!phone.Accept());
    QCOMPARE(edit.text(), QStringLiteral("031 555 0199 집")); // the last accepted value comes back
    edit.setText("");
    QVERIFY(phone.Accept());
    edit.setText("c");
    phone.Settle(); // a record just loaded
    QVERIFY(phone.Accept());
    QCOMPARE(prompter.count(), 2);
}

QTEST_MAIN(TestInputUtil)
#include "tst_inpututil.moc"
