#pragma once

#include "components/dialogpresenter.h"

#include <memory>

// Qt's file, colour and font dialogs behind the dialog component.
std::unique_ptr<DialogPresenter> qtDialogPresenter();
