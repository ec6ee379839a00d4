#pragma once

#include <functional>

class QDialog;

// Every modal dialog of the program is run through ExecModal, so tests can drive dialogs without blocking.
using ModalHandler = std::function<int(QDialog*)>;

int ExecModal(QDialog* dialog);
// Installs a handler that runs instead of QDialog::exec(); an empty handler restores the real one.
ModalHandler SetModalHandler(ModalHandler handler);
