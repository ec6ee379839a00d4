#pragma once

#include "ui/gui/ModalSeam.h"
#include "ui/gui/RecordScreens.h"
#include "ui/gui/modFormIni.h"

#include <QCheckBox>
#include <QDialog>
#include <QList>
#include <QPointer>

class ByteLimitedLineEdit;
class QHBoxLayout;
class QKeyEvent;
class QPushButton;

// Base of the modal record editors: add or change mode, F2 and btnSave save, byte-limited fields.
class EditorWindow : public QDialog
{
    Q_OBJECT
public:
    explicit EditorWindow(QWidget* parent = nullptr);
    ~EditorWindow() override;

    // Runs the save as btnSave and F2 do; true when the record was written.
    virtual bool Save() = 0;
    // Empties the fields for the next record of a keep-adding run.
    virtual void ClearFields() = 0;

    EditorMode mode() const { return m_mode; }
    QCheckBox* chkContinueAdd() const { return m_chkContinueAdd; }
    QPushButton* btnSave() const { return m_btnSave; }
    QPushButton* btnClose() const { return m_btnClose; }

protected:
    // A field checked by FieldsFitLimits in the order the fields were made; 0 bytes means no limit.
    ByteLimitedLineEdit* MakeField(int maxBytes, const QString& objectName);
    // True when every field fits its limit; the first that does not says so and takes the focus.
    bool FieldsFitLimits() const;

    // btnSave ("저장 F2") then btnClose, neither pressed by Enter in the fields.
    void MakeSaveCloseButtons();
    // The keep-adding tick ("계속 등록하기(&N)").
    void MakeContinueAdd(bool visible);
    // The bottom row: the keep-adding tick on the left, save and close on the right.
    QHBoxLayout* MakeButtonRow() const;

    // After a successful save: the short notice, then the next record or closing.
    void FinishSave();

    // F2 without modifiers saves.
    void keyPressEvent(QKeyEvent* event) override;

    EditorMode m_mode = EditorMode::Add;
    QPointer<QWidget> m_parentScreen;
    QCheckBox* m_chkContinueAdd = nullptr;
    QPushButton* m_btnSave = nullptr;
    QPushButton* m_btnClose = nullptr;

private:
    QList<ByteLimitedLineEdit*> m_limitedFields;
};

// Opens the record editor of a list screen modally below anchor: Add shows and ticks the keep-adding tick,
// Edit loads the record whose code is given; the focus then goes back to focusAfter.
template <typename Editor>
void RunListEditor(QWidget* screen, QWidget* anchor, QWidget* focusAfter, EditorMode mode,
                   const QString& code)
{
    Editor editor(screen);
    editor.Init(mode, screen, code);
    if (mode == EditorMode::Add) {
        editor.chkContinueAdd()->setVisible(true);
        editor.chkContinueAdd()->setChecked(true);
    }
    PlaceFormAt(&editor, anchor, 0, 0);
    ExecModal(&editor);
    focusAfter->setFocus();
}
