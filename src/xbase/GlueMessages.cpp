#include "xbase/GlueMessages.h"

#include "ui/Dialogs.h"

void showGlueMessage(const std::string& Text) { MessageDlg(Text, mtInformation, TMsgDlgButtons{mbOK}); }
