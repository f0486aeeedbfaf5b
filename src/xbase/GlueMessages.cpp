#include "xbase/GlueMessages.h"

#include "ui/Dialogs.h"

void ShowGlueMessage(const std::string& Text) { MessageDlg(Text, mtInformation, TMsgDlgButtons{mbOK}); }
