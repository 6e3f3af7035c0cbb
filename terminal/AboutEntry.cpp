#include "terminal/About.h"
#include "terminal/Main.h"
#include "terminal/VerInfo.h"

// A box of its own for each showing, gone again once it is closed.
void TCommTermForm::About1Click()
{
    TAboutBox box(this, VersionInfo.GetFileVersion(), ProgramTitle);
    box.exec();
}
