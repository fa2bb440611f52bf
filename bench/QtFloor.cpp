// The least any Qt Widgets client built on libcurl does for compare.sh's listing and upload
// rows: a shown window, libcurl's plain transfer on the window's thread, and for a listing each
// line as one text row of a one-column table, every row read back through the model and
// printed. No parsing, no dates, no sorting, no second thread: its wall time is a floor under
// Tandrel's for the same row, measured the same way (whole process, in turn with curl).
//   qt_floor list URL          (URL of a folder, ending in "/")
//   qt_floor put FILE URL      (URL of the file to store)

#include <cstdio>

#include <QAbstractTableModel>
#include <QApplication>
#include <QMainWindow>
#include <QTableView>

#include <curl/curl.h>

namespace {

class LineModel final : public QAbstractTableModel
{
public:
    void setLines(QList<QString> lines)
    {
        beginResetModel();
        rows = std::move(lines);
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : 1;
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        return role == Qt::DisplayRole ? QVariant(rows.at(index.row())) : QVariant();
    }

private:
    QList<QString> rows;
};

size_t appendTo(char* data, size_t size, size_t count, void* into)
{
    static_cast<QByteArray*>(into)->append(data, static_cast<qsizetype>(size * count));
    return size * count;
}

bool perform(CURL* easy)
{
    const CURLcode code = curl_easy_perform(easy);
    if (code != CURLE_OK)
        std::fprintf(stderr, "qt_floor: %s\n", curl_easy_strerror(code));
    return code == CURLE_OK;
}

int list(CURL* easy, LineModel& model, QTableView& table)
{
    // Sized for the 100,000-entry folder up front: no copies while it grows.
    QByteArray listing;
    listing.reserve(16 << 20);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, appendTo);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &listing);
    if (!perform(easy))
        return 1;
    QList<QString> lines;
    lines.reserve(listing.count('\n') + 1);
    for (qsizetype from = 0; from < listing.size();) {
        qsizetype end = listing.indexOf('\n', from);
        if (end < 0)
            end = listing.size();
        QByteArrayView line(listing.constData() + from, end - from);
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            lines.append(QString::fromUtf8(line));
        from = end + 1;
    }
    model.setLines(std::move(lines));
    table.viewport()->repaint();
    QByteArray text;
    for (int row = 0; row < model.rowCount(); ++row) {
        text = model.data(model.index(row, 0), Qt::DisplayRole).toString().toUtf8();
        text.append('\n');
        std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
    }
    return 0;
}

int put(CURL* easy, const char* path)
{
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        std::perror(path);
        return 1;
    }
    curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(easy, CURLOPT_READDATA, file);
    const bool done = perform(easy);
    std::fclose(file);
    return done ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool listing = args.size() == 3 && args[1] == QLatin1String("list");
    if (!listing && !(args.size() == 4 && args[1] == QLatin1String("put"))) {
        std::fprintf(stderr, "usage: qt_floor list URL | qt_floor put FILE URL\n");
        return 2;
    }
    LineModel model;
    QMainWindow window;
    auto* table = new QTableView;
    table->setModel(&model);
    window.setCentralWidget(table);
    window.resize(760, 600);
    window.show();
    QApplication::processEvents();

    curl_global_init(CURL_GLOBAL_DEFAULT);
    CURL* easy = curl_easy_init();
    curl_easy_setopt(easy, CURLOPT_URL, argv[listing ? 2 : 3]);
    const int status = listing ? list(easy, model, *table) : put(easy, argv[2]);
    curl_easy_cleanup(easy);
    curl_global_cleanup();
    return status;
}
