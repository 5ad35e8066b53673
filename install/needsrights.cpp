// The answer to a change of the machine's install without administrator rights.
#include "procedures.h"
#include "setuplog.h"
#include "texts.h"
#include "twin.h"

BOOL RefuseWithoutRights(TWin *dlg, RunContext *ctx)
{
    LogStep(ctx, "machine scope: needs administrator rights, nothing changed");
    if (ctx)
        ctx->exitCode = EXIT_NEEDS_ADMINISTRATOR;
    dlg->MessageBox(TEXT_NEEDS_ADMINISTRATOR, TEXT_NOTICE, MB_OK);
    return FALSE;
}
