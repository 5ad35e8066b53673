// What the procedures share: their questions, answered by the user or, unattended, by what
// is asked; the refusal without administrator rights; a folder opened for the person.
#include "procedures.h"
#include "failure.h"
#include "setuplog.h"
#include "shell.h"
#include "texts.h"
#include "twin.h"

// The answer of an unattended run: what a user pressing the default would choose, except that
// nothing is retried and the messenger is not started.
static int UnattendedAnswer(Question question)
{
    return question == QUESTION_RETRY || question == QUESTION_START_MESSENGER ? IDCANCEL : IDOK;
}

int Ask(TWin *dlg, RunContext *ctx, Question question, const char *text, const char *caption, UINT style)
{
    if (!ctx || !ctx->unattended)
        return dlg->MessageBox(text, caption, style);
    // the close question names the uninstaller: in the log it is what it asks
    if (ctx->log)
        ctx->log->TextLine("box: ", question == QUESTION_CLOSE_MESSENGER ? "close the messenger?" : text);
    return UnattendedAnswer(question);
}

BOOL RefuseWithoutRights(TWin *dlg, RunContext *ctx)
{
    LogStep(ctx, "machine scope: needs administrator rights, nothing changed");
    if (ctx)
        ctx->exitCode = EXIT_NEEDS_ADMINISTRATOR;
    Ask(dlg, ctx, QUESTION_NONE, TEXT_NEEDS_ADMINISTRATOR, TEXT_NOTICE, MB_OK);
    return FALSE;
}

void OpenFolderForPerson(const char *folder, RunContext *ctx)
{
    char failure[FAILURE_TEXT_SIZE];
    LogStep(ctx, "open folder %s: %s", folder, OpenFolderInShell(folder, failure));
}
