#include "app/FormDescription.h"

#include "framework/Errors.h"
#include "framework/ui/Form.h"
#include "library/BlockChecks.h"
#include "resource/ComponentReader.h"
#include "resource/EmbeddedStreams.h"
#include "resource/LibraryLoader.h"
#include "resource/ObjectStream.h"

#include <QByteArray>

#include <utility>

namespace orlenth {

namespace {
TDescriptionSource& source() {
    static TDescriptionSource s;
    return s;
}
} // namespace

void SetDescriptionSource(TDescriptionSource s) {
    source() = std::move(s);
}

void ReadFormDescription(TCustomForm& form) {
    const std::string name = QByteArray::fromStdString(form.ClassName()).toUpper().toStdString();
    // Only the embedded bytes are known to last; a source's may not.
    const bool embedded = !source();
    const std::string_view stream = embedded ? EmbeddedStream(name) : source()(name);
    if (stream.empty()) throw EReadError(formatMessage(Msg::ResourceNotFound, {name}));
    // The tree lives only for this call, while the stream stays: binary payloads (the
    // library's megabyte of item records) are read where they lie.
    // Its item records are checked block by block on every core once all is read.
    TBlockChecks checks;
    ReadComponent(ParseObjectStream(stream, true), form, embedded);
    FinishItemRecordChecks(checks);
}

} // namespace orlenth
