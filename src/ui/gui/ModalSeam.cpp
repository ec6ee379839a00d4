#include "ui/gui/ModalSeam.h"

#include "ui/Prompter.h"

#include <QDialog>

namespace {
ModalHandler g_handler;
}

int ExecModal(QDialog* dialog)
{
    CheckDialogAllowed(dialog->objectName());
    if (g_handler)
        return g_handler(dialog);
    return dialog->exec();
}

ModalHandler SetModalHandler(ModalHandler handler)
{
    ModalHandler previous = std::move(g_handler);
    g_handler = std::move(handler);
    return previous;
}
