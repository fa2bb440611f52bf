// The listing of the current remote folder: one read stream, its bytes parsed line by line as
// they arrive, the table filled once per received chunk.

#include <algorithm>

#include <QLabel>
#include <QProgressBar>
#include <QTableView>

#include "Classes/Controller.h"
#include "Classes/ListingSortFilter.h"
#include "Classes/ListingTableModel.h"
#include "Classes/RemoteFolder.h"
#include "MiscTool.h"
#include "OperationOutcome.h"
#include "platform/Assert.h"
#include "platform/UrlText.h"
#include "platform/ftp/ListingParser.h"

namespace {

bool isAscii(const QByteArray& bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool isAscii(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

} // namespace

Controller::ListingLimits Controller::listingLimits;

void Controller::startReceive(const QString& url)
{
    // One listing at a time: a listing still running is dropped without a status of its own.
    networkStream.stop();
    listData.emplace();
    const std::optional<QUrl> urlObject = UrlText::urlWithString(url);
    if (!urlObject) {
        receiveDidStart();
        stopReceiveWithStatus(QStringLiteral("Invalid URL"));
        return;
    }
    networkStream.open(FtpStream::Direction::Read, *urlObject, MiscTool::streamProperties(), this);
    receiveDidStart();
}

void Controller::stopReceiveWithStatus(const std::optional<QString>& statusText)
{
    networkStream.stop();
    receiveDidStopWithStatus(statusText);
    listData.reset();
}

void Controller::receiveDidStart()
{
    if (remote->listEntries)
        remote->listEntries->clear();
    unreadableLines = 0;
    listedBytes = 0;
    tableSorter->pauseSorting();
    tableModel->reloadData();
    updateStatus(QStringLiteral("Receiving"));
    setAnimating(false);
}

void Controller::receiveDidStopWithStatus(const std::optional<QString>& statusText)
{
    QString text = statusText.value_or(QStringLiteral("List succeeded"));
    // Skipped lines may have named files the table cannot show: say how many.
    if (!statusText && unreadableLines > 0)
        text += unreadableLines == 1
                    //% " (1 line could not be read)"
                    ? OperationOutcome::localizedText("StatusUnreadableLine",
                                                      " (1 line could not be read)")
                    //% " (%1 lines could not be read)"
                    : OperationOutcome::localizedText("StatusUnreadableLines",
                                                      " (%1 lines could not be read)")
                          .arg(unreadableLines);
    unreadableLines = 0;
    tableModel->showAppendedRows();
    tableSorter->resumeSorting();
    updateStatus(text);
    setAnimating(false);
    emit listingStopped(text);
}

void Controller::cancelListing()
{
    if (isReceiving())
        //% "Listing cancelled"
        stopReceiveWithStatus(
            OperationOutcome::localizedText("StatusListingCancelled", "Listing cancelled"));
}

void Controller::updateStatus(const QString& statusText)
{
    status = statusText;
    showStatus(statusText);
}

void Controller::showStatus(const QString& text)
{
    statusLabel->setText(text);
    // The whole text, where the line is too narrow for it.
    statusLabel->setToolTip(text);
}

void Controller::streamHandleEvent(FtpStream* aStream, NSStreamEvent eventCode)
{
    if (aStream != networkStream.get())
        return; // an event of a listing already replaced
    switch (eventCode) {
    case NSStreamEventOpenCompleted:
        updateStatus(QStringLiteral("Opened connection"));
        showSecurity(networkStream->security());
        break;
    case NSStreamEventHasBytesAvailable: {
        updateStatus(QStringLiteral("Receiving"));
        char buffer[OwnedStream::kChunkSize];
        const int64_t count = networkStream->read(buffer, OwnedStream::kChunkSize);
        if (count < 0) {
            stopReceiveWithStatus(QStringLiteral("Network read error"));
        } else if (count == 0) {
            // The data connection's handshake is known by now, on a reused connection too.
            showSecurity(networkStream->security());
            stopReceiveWithStatus(std::nullopt);
        } else {
            listedBytes += count;
            listData->append(buffer, count);
            parseListData();
            // Past a limit the listing stops, keeping what was parsed. A line that never ends
            // is held whole until its end: it may not grow without bound either.
            if (!isReceiving())
                break;
            if (listedBytes > listingLimits.bytes)
                //% "Listing stopped at %L1 bytes"
                stopReceiveWithStatus(OperationOutcome::localizedText(
                                          "StatusListingTooLong", "Listing stopped at %L1 bytes")
                                          .arg(listingLimits.bytes));
            else if (listData->size() > listingLimits.lineBytes)
                //% "Listing stopped: a line longer than %L1 bytes"
                stopReceiveWithStatus(
                    OperationOutcome::localizedText("StatusListingLineTooLong",
                                                    "Listing stopped: a line longer than %L1 bytes")
                        .arg(listingLimits.lineBytes));
        }
        break;
    }
    case NSStreamEventErrorOccurred: {
        QString unsaved;
        if (decideOnSecurity(networkStream->security(), &unsaved)) {
            startReceive(remote->getCurrentFTPURL());
            break;
        }
        const StreamError error = networkStream->streamError();
        stopReceiveWithStatus(QStringLiteral("Stream open error"));
        // The fixed status stays in `status`; the line under the table also tells the reason.
        if (!unsaved.isEmpty())
            showStatus(unsaved);
        else if (!error.message.isEmpty())
            showStatus(status + QStringLiteral(": ") + error.message);
        offerEnteredLinkAsFile(error);
        break;
    }
    case NSStreamEventEndEncountered:
        break; // the read that answers 0 ends the listing
    default:
        TANDREL_ASSERT(NO);
    }
}

void Controller::parseListData()
{
    // Room for the chunk's entries from the start (a listing line is rarely under 48 bytes):
    // grown step by step, the list moved its entries several times per chunk.
    QList<ListingEntry> newEntries;
    newEntries.reserve(listData->size() / 48 + 1);
    int64_t offset = 0;
    for (;;) {
        std::optional<ListingEntry> entry;
        const int64_t consumed = CFFTPCreateParsedResourceListing(
            listData->constData() + offset, listData->size() - offset, &entry);
        if (consumed == 0)
            break;
        if (entry)
            newEntries.append(
                entryByReencodingNameInEntry(std::move(*entry), QStringConverter::Utf8));
        // A line the parser could not read is skipped and counted; the listing goes on.
        if (consumed < 0)
            ++unreadableLines;
        offset += consumed < 0 ? -consumed : consumed;
    }
    const int64_t room = listingLimits.entries - remote->count();
    if (newEntries.size() > room) {
        newEntries.resize(std::max<int64_t>(room, 0));
        if (!newEntries.isEmpty())
            addListEntries(std::move(newEntries));
        stopReceiveWithStatus(
            QStringLiteral("Listing stopped at %L1 entries").arg(listingLimits.entries));
        return;
    }
    if (!newEntries.isEmpty())
        addListEntries(std::move(newEntries));
    if (offset > 0)
        listData->remove(0, offset);
}

ListingEntry Controller::entryByReencodingNameInEntry(ListingEntry entry,
                                                      QStringConverter::Encoding encoding)
{
    if (!entry.kCFFTPResourceName)
        return entry;
    // Most names are ASCII, which reads the same in UTF-8 as in the parser's one character per
    // byte: the name made by the parser is kept rather than decoded again.
    const QByteArray& raw = entry.rawName;
    const QString& parsed = *entry.kCFFTPResourceName;
    if (encoding == QStringConverter::Utf8 &&
        (raw.isEmpty() ? isAscii(parsed) : isAscii(raw) && parsed == QLatin1String(raw))) {
        entry.rawName.clear();
        return entry;
    }
    // The parser keeps the server's bytes; read them in the given encoding. Bytes that are not
    // valid in it still show, one character per byte.
    const QByteArray bytes =
        entry.rawName.isEmpty() ? entry.kCFFTPResourceName->toLatin1() : entry.rawName;
    if (encoding == QStringConverter::Utf8) {
        bool isUtf8 = false;
        entry.kCFFTPResourceName = decodeListingName(bytes, &isUtf8);
        // Bytes that are the shown name's UTF-8 need not be kept twice: a long listing holds
        // one copy of each name.
        if (isUtf8)
            entry.rawName.clear();
    } else {
        QStringDecoder decoder(encoding);
        const QString name = decoder.decode(bytes);
        entry.kCFFTPResourceName = decoder.hasError() ? QString::fromLatin1(bytes) : name;
    }
    return entry;
}

void Controller::addListEntries(QList<ListingEntry> entries)
{
    TANDREL_ASSERT(remote->listEntries.has_value());
    const int first = static_cast<int>(remote->listEntries->size());
    remote->listEntries->append(std::move(entries));
    tableModel->rowsAppended(first, static_cast<int>(remote->listEntries->size()) - 1);
}
