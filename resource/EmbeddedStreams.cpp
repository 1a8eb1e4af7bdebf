#include "resource/EmbeddedStreams.h"

#include <QDir>
#include <QResource>

#include <map>
#include <mutex>

// Referencing the resource's registration from here links it in wherever the streams are
// read, also through a static library (which would otherwise drop the unreferenced object
// file). It must be called outside any namespace.
static void registerEmbeddedDescriptions() {
    Q_INIT_RESOURCE(orlenth_descriptions);
}

namespace orlenth {

std::string_view EmbeddedStream(const std::string& name) {
    static const bool registered = (registerEmbeddedDescriptions(), true);
    (void)registered;
    // Packed uncompressed, so the bytes are read in place; a compressed entry (should the
    // build ever change) is inflated once and kept.
    static std::map<std::string, QByteArray> inflated;
    static std::mutex lock;
    QResource r(QString::fromStdString(":/" + name));
    if (!r.isValid() || r.size() == 0) return {};
    if (r.compressionAlgorithm() == QResource::NoCompression)
        return {reinterpret_cast<const char*>(r.data()), static_cast<std::size_t>(r.size())};
    std::lock_guard guard(lock);
    auto& b = inflated[name];
    if (b.isEmpty()) b = r.uncompressedData();
    return {b.constData(), static_cast<std::size_t>(b.size())};
}

std::vector<std::string> EmbeddedStreamNames() {
    EmbeddedStream("");
    std::vector<std::string> names;
    for (const QString& n : QDir(":/").entryList(QDir::Files)) {
        const std::string s = n.toStdString();
        if (s == "TORLENTH" || s == "TSTARYE" || s == "TABOUTKESTROW") names.push_back(s);
    }
    return names;
}

} // namespace orlenth
