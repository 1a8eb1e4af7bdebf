// 编码: which encoding a folder file is read in. The detection chooses unless the reader
// has; the reader's choice is kept per file (with the file's place) and the file is read
// again at once, at the same character, not the same byte: the bytes before the place
// change length with the encoding, the characters do not.

#include "app/Unit1main.h"

#include "framework/ui/Application.h"

#include <QActionGroup>
#include <QFile>

namespace orlenth {

namespace {

// Bytes of text counted or walked per step of the window's thread: a few milliseconds.
constexpr std::size_t kWalkStepBytes = std::size_t{8} << 20;

std::optional<platform::FileEncoding> EncodingNamed(const QString& menuName) {
    for (const platform::EncodingName& e : platform::KnownEncodings())
        if (menuName == QString::fromUtf8(e.menuName)) return e.encoding;
    return std::nullopt;
}

QString CanonicalPathText(const std::string& bytes) {
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

} // namespace

void TOrlenth::SetUpEncodingMenu() {
    encodingMenu_ = std::make_unique<QMenu>();
    encodingMenu_->setTitle(QString::fromUtf8("编码"));
    N23->QtAction()->setMenu(encodingMenu_.get());
    QObject::connect(encodingMenu_.get(), &QMenu::aboutToShow, this,
                     [this] { FillEncodingMenu(); });
    encodingTimer_.setInterval(0);
    QObject::connect(&encodingTimer_, &QTimer::timeout, this, [this] { StepEncodingPlace(); });
    // Another text shown by any other route makes the place meaningless.
    QObject::connect(Memo1, &TMemo::TextChanged, this, [this] {
        if (encodingPlace_ && !encodingPlace_->rereading) encodingPlace_.reset();
    });
    QObject::connect(Memo1, &TMemo::LinesAdded, this, [this] {
        if (encodingPlace_ && !encodingTimer_.isActive()) encodingTimer_.start();
    });
}

std::optional<platform::FileEncoding> TOrlenth::EncodingChoiceFor(const QString& canonicalPath) {
    const auto chosen = encodingChoices_.constFind(canonicalPath);
    if (chosen != encodingChoices_.constEnd()) return EncodingNamed(*chosen);
    if (settings_ && settings_->Reading())
        if (const settings::TFilePlace* place = Places().Find(canonicalPath))
            return EncodingNamed(place->encoding); // an unknown name: the detection's
    return std::nullopt;
}

void TOrlenth::FillEncodingMenu() {
    encodingMenu_->clear();
    const platform::EncodingReport* report = encodingReport_.get();
    const std::optional<platform::FileEncoding> current =
        report ? report->Encoding() : std::nullopt;
    // As a number: GCC takes a compared empty optional for an uninitialized one.
    const int currentValue = current ? static_cast<int>(*current) : -1;
    const bool forced = report && report->Forced();
    // The automatic entry names what the detection took the file for, so the reader sees
    // the verdict without having to compare check marks.
    QString automatic = QString::fromUtf8(platform::kAutomaticMenuName);
    if (report && !forced && current)
        automatic += QString::fromUtf8("（%1）").arg(QString::fromUtf8(MenuNameOf(*current)));
    auto* group = new QActionGroup(encodingMenu_.get());
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
    const auto add = [&](const QString& caption, std::optional<platform::FileEncoding> encoding,
                         bool checked) {
        QAction* item = encodingMenu_->addAction(caption);
        item->setCheckable(true);
        item->setChecked(checked);
        // The built-in articles are GBK and nothing else: there is nothing to choose.
        item->setEnabled(report != nullptr);
        group->addAction(item);
        QObject::connect(item, &QAction::triggered, this, [this, encoding] {
            // After the menu has closed: reading again may show an error box.
            QMetaObject::invokeMethod(
                this, [this, encoding] { ChooseEncoding(encoding); }, Qt::QueuedConnection);
        });
    };
    add(automatic, std::nullopt, report && !forced);
    encodingMenu_->addSeparator();
    for (const platform::EncodingName& e : platform::KnownEncodings())
        add(QString::fromUtf8(e.menuName), e.encoding,
            forced && currentValue == static_cast<int>(e.encoding));
}

void TOrlenth::ChooseEncoding(std::optional<platform::FileEncoding> encoding) {
    const auto& file = state_.FileOnShow();
    if (!file || !encodingReport_) return;
    const QString path = CanonicalPathText(file->canonicalPath);
    const QString name = encoding ? QString::fromUtf8(MenuNameOf(*encoding)) : QString();
    encodingChoices_.insert(path, name);
    NoteLeaving();
    if (settings_ && settings_->Writing())
        if (const settings::TFilePlace* known = Places().Find(path)) {
            settings::TFilePlace kept = *known;
            kept.encoding = name;
            Places().Remember(kept);
        }
    // The text on show is read again once its place has been counted in characters. A
    // choice made before the last one has found its place again goes to that place.
    EncodingPlace place;
    place.offset = PlaceRead();
    if (encodingPlace_ && encodingPlace_->counted) {
        place.counted = true;
        place.characters = encodingPlace_->characters;
    }
    encodingPlace_ = std::move(place);
    encodingTimer_.start();
}

void TOrlenth::ReadAgainInChosenEncoding() {
    // A script switch does not detect the encoding again (the first mebibyte of a big
    // file read and looked at), and leaves it the detection's: 编码 still says 自动.
    std::optional<KnownVerdict> known;
    const std::optional<platform::FileEncoding> detected =
        encodingReport_ && !encodingReport_->Forced() ? encodingReport_->Encoding() : std::nullopt;
    if (encodingPlace_->sameEncoding && detected && state_.FileOnShow())
        known = KnownVerdict{*state_.FileOnShow(), *detected};
    try {
        encodingPlace_->rereading = true;
        ShowEntry(state_.Category(), state_.Entry(), known);
        encodingPlace_->rereading = false;
    } catch (const std::exception& e) {
        encodingPlace_.reset();
        encodingTimer_.stop();
        TApplication::Instance().ShowException(e);
        return;
    }
    // The place ShowEntry remembered is a byte offset in the text as it was read before.
    pendingOffset_.reset();
    ScrollBox1->SetVertPosition(0);
    PaintBox1Paint(nullptr);
    encodingPlace_->at = ScrollBox1->VertPosition();
}

void TOrlenth::StepEncodingPlace() {
    if (!encodingPlace_) {
        encodingTimer_.stop();
        return;
    }
    using Outcome = text::TCharacterWalk::Outcome;
    if (!encodingPlace_->counted || !encodingPlace_->reread) {
        if (!encodingPlace_->counted) {
            const std::shared_ptr<const text::TextLoad> before = Memo1->Load();
            const Outcome counted = encodingPlace_->walk.ToOffset(
                std::string_view(before->bytes(), before->available()), before->loaded(),
                encodingPlace_->offset, kWalkStepBytes);
            if (counted == Outcome::Paused || counted == Outcome::Waiting) return;
            encodingPlace_->counted = true;
            encodingPlace_->characters = encodingPlace_->walk.Characters();
            encodingPlace_->walk = {};
        }
        encodingPlace_->reread = true;
        ReadAgainInChosenEncoding();
        return;
    }
    if (ScrollBox1->VertPosition() != encodingPlace_->at) {
        // The reader moved the page meanwhile: their move wins.
        encodingPlace_.reset();
        encodingTimer_.stop();
        return;
    }
    EncodingPlace& place = *encodingPlace_;
    const std::shared_ptr<const text::TextLoad> now = Memo1->Load();
    const Outcome walked = place.walk.ToCharacter(std::string_view(now->bytes(), now->available()),
                                                  now->loaded(), place.characters, kWalkStepBytes);
    if (walked == Outcome::Paused) return;
    // More text to come: the next lines' arrival wakes the walk again.
    if (walked == Outcome::Waiting) {
        encodingTimer_.stop();
        return;
    }
    const auto offset = static_cast<std::uint32_t>(place.walk.Offset());
    encodingPlace_.reset();
    encodingTimer_.stop();
    if (offset > 0) GoToPlace(offset);
}

} // namespace orlenth
