#include "CreateDirDelegate.h"

#include "Classes/Controller.h"
#include "Classes/RemoteFolder.h"
#include "MiscTool.h"
#include "platform/Assert.h"
#include "platform/RemoteName.h"
#include "platform/toolkit/Toolkit.h"

CreateDirDelegate::CreateDirDelegate(QObject* parent)
    : RemoteOperation(OperationOutcome::Action::CreateFolder, parent)
{}

std::optional<QString> CreateDirDelegate::getNewDir()
{
    Toolkit::Alert alert;
    //% "Name of the new folder:"
    alert.messageText = Controller::localizedString("PlsNewDir");
    alert.defaultButton = Controller::localizedString("OK");
    alert.alternateButton = Controller::localizedString("Cancel");
    alert.hasTextField = true;
    // Each round is one answer of the user's: OK on an empty field asks again.
    for (;;) {
        const Toolkit::AlertAnswer answer = Toolkit::shared().runModalAlert(alert);
        if (answer.code != Toolkit::kDefaultReturn)
            return std::nullopt;
        if (!answer.text.isEmpty())
            return answer.text;
    }
}

void CreateDirDelegate::createDirAction()
{
    if (!beginOperation())
        return;
    const std::optional<QString> name = getNewDir();
    if (!name) {
        abandonOperation();
        return;
    }
    // Used as typed, but it must be one plain name: it goes into an MKD command.
    const QByteArray bytes = name->toUtf8();
    if (const QString why = RemoteName::whyNotNewName(*name); !why.isEmpty()) {
        abandonOperation();
        refuseName(*name, why);
        return;
    }
    const std::optional<QString> text = remote->urlOf(bytes, true);
    const std::optional<QUrl> url = text ? MiscTool::smartURLForString(*text) : std::nullopt;
    if (!url) {
        stopCreateWithStatus(outcome(OperationOutcome::Kind::InvalidUrl));
        return;
    }
    // Nothing is ever written: the stream creates the folder and then reports its end.
    networkStream.open(FtpStream::Direction::Write, *url, MiscTool::streamProperties(), this);
}

void CreateDirDelegate::streamHandleEvent(FtpStream* aStream, NSStreamEvent eventCode)
{
    TANDREL_ASSERT(aStream == networkStream.get());
    switch (eventCode) {
    case NSStreamEventEndEncountered:
        stopCreateWithStatus(outcome(OperationOutcome::Kind::Succeeded));
        break;
    case NSStreamEventOpenCompleted:
        break;
    case NSStreamEventErrorOccurred: {
        // A refusal is told by the server's reply code; anything else by what went wrong.
        const StreamError error = networkStream->streamError();
        OperationOutcome status = outcome(OperationOutcome::Kind::StreamOpenError, error.message);
        if (error.domain == StreamErrorDomain::FTP) {
            status = outcome(OperationOutcome::Kind::ServerRefused, error.message);
            status.replyCode = error.code;
        }
        stopCreateWithStatus(status);
        break;
    }
    default:
        TANDREL_ASSERT(NO);
    }
}

void CreateDirDelegate::stopCreateWithStatus(const OperationOutcome& status)
{
    networkStream.stop();
    if (status.succeeded())
        controller->reloadAction();
    else
        report(status);
    endOperation(status);
}
