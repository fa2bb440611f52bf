#include "RemoteOperation.h"

#include "Classes/Controller.h"
#include "Classes/RemoteFolder.h"

RemoteOperation* RemoteOperation::sRunning = nullptr;
int RemoteOperation::sHelpersRunning = 0;

RemoteOperation::RemoteOperation(OperationOutcome::Action action, QObject* parent)
    : QObject(parent)
    , action(action)
{}

RemoteOperation::~RemoteOperation()
{
    abandonOperation();
}

void RemoteOperation::cancelRunning()
{
    if (sRunning)
        sRunning->cancel();
}

OperationOutcome RemoteOperation::outcome(OperationOutcome::Kind kind, const QString& detail) const
{
    OperationOutcome result;
    result.action = action;
    result.kind = kind;
    result.detail = detail;
    return result;
}

bool RemoteOperation::beginOperation()
{
    if (helper) {
        if (helperRunning)
            return false;
        helperRunning = true;
        ++sHelpersRunning;
        return true;
    }
    if (sRunning) {
        report(outcome(OperationOutcome::Kind::Busy));
        return false;
    }
    sRunning = this;
    return true;
}

void RemoteOperation::abandonOperation()
{
    if (helperRunning)
        --sHelpersRunning;
    helperRunning = false;
    if (sRunning == this)
        sRunning = nullptr;
}

void RemoteOperation::endOperation(const OperationOutcome& result)
{
    abandonOperation();
    emit finished(result);
}

void RemoteOperation::report(const OperationOutcome& result)
{
    controller->showStatus(result.statusLine());
}

OperationOutcome RemoteOperation::refuseName(const QString& name, const QString& why)
{
    OperationOutcome refused = outcome(OperationOutcome::Kind::NameRefused, why);
    // A name too long to be used is too long to show whole.
    qsizetype shown = 60;
    if (name.size() > shown && name.at(shown - 1).isHighSurrogate())
        --shown;
    refused.subject = name.size() > shown ? name.left(shown) + QChar(0x2026) : name;
    report(refused);
    return refused;
}

const ListingEntry* RemoteOperation::selectedEntry() const
{
    return remote->entryAt(controller->selectedRow());
}
