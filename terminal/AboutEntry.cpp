#include "terminal/Main.h"

#include "platform/WindowShowing.h"
#include "terminal/About.h"
#include "terminal/VerInfo.h"

// A box of its own for each showing, gone again once it is closed.
void TCommTermForm::About1Click()
{
    TAboutBox box(this, VersionInfo.GetFileVersion(), ProgramTitle);
    platform::ShowModal(box);
}
