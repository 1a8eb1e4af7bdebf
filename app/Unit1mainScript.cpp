// 简繁: the page in the stored characters, or converted by phrase to simplified or
// traditional ones. Only what the page shows changes (and with it what copying and the
// search see): the stored articles and the files stay as they are. A switch is a re-read
// of the text on show, so it keeps the place read as 编码 does, by character position.

#include "app/Unit1main.h"

#include "app/settings/SettingsFile.h"
#include "framework/ui/Application.h"
#include "framework/ui/Memo.h"

#include <QActionGroup>

namespace orlenth {

namespace {

const QString kScriptKey = QStringLiteral("look/script");

} // namespace

void TOrlenth::SetUpScriptMenu() {
    if (settings_ && settings_->Reading())
        if (const auto key = settings_->String(kScriptKey, 32))
            script_ = platform::ScriptForKey(key->toStdString()).value_or(script_);
    scriptMenu_ = std::make_unique<QMenu>();
    scriptMenu_->setTitle(QString::fromUtf8("简繁"));
    N30->QtAction()->setMenu(scriptMenu_.get());
    auto* group = new QActionGroup(scriptMenu_.get());
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    // The keyboard reaches the items as every item of the menu: arrows and Enter. Their
    // captions are their names for screen readers, check marks included.
    for (const platform::ScriptName& s : platform::KnownScripts()) {
        QAction* item = scriptMenu_->addAction(QString::fromUtf8(s.menuName));
        item->setCheckable(true);
        item->setData(static_cast<int>(s.script));
        group->addAction(item);
        const platform::Script script = s.script;
        QObject::connect(item, &QAction::triggered, this, [this, script] {
            // After the menu has closed: loading the dictionaries may show an error box.
            QMetaObject::invokeMethod(
                this,
                [this, script] {
                    try {
                        ChooseScript(script);
                    } catch (const std::exception& e) {
                        TApplication::Instance().ShowException(e);
                    }
                    FillScriptMenu();
                },
                Qt::QueuedConnection);
        });
    }
    QObject::connect(scriptMenu_.get(), &QMenu::aboutToShow, this, [this] { FillScriptMenu(); });
    FillScriptMenu();
}

void TOrlenth::FillScriptMenu() {
    for (QAction* item : scriptMenu_->actions())
        item->setChecked(item->data().toInt() == static_cast<int>(script_));
}

void TOrlenth::ChooseScript(platform::Script script) {
    if (script == script_) return;
    // The dictionaries are loaded before anything changes, so that a missing one leaves
    // the page and the choice as they were.
    if (script != platform::Script::Original) platform::ScriptConverter::For(script);
    script_ = script;
    FillScriptMenu();
    if (settings_ && settings_->Writing()) {
        settings_->Set(kScriptKey, QString::fromUtf8(platform::NameOf(script).key));
        settings_->Save();
    }
    if (state_.Category() < 0) return;
    // The text on show is shown again once its place has been counted in characters, by
    // the steps that keep the place when 编码 reads a file again.
    NoteLeaving();
    EncodingPlace place;
    place.offset = PlaceRead();
    place.sameEncoding = true;
    encodingPlace_ = std::move(place);
    encodingTimer_.start();
    // The first step now, not after whatever the window has queued meanwhile: a repaint of
    // the page about to go, say, as a big text still arriving asks for one often.
    StepEncodingPlace();
}

text::TextFeed TOrlenth::InChosenScript(text::TextFeed feed) {
    if (script_ == platform::Script::Original) return feed;
    std::shared_ptr<const platform::ScriptConverter> converter;
    try {
        converter = platform::ScriptConverter::For(script_);
    } catch (const std::exception& e) {
        // The dictionaries went missing since the choice (or since the last run): the
        // text is shown as stored, and the menu says so.
        script_ = platform::Script::Original;
        if (scriptMenu_) FillScriptMenu();
        TApplication::Instance().ShowException(e);
        return feed;
    }
    return platform::ConvertedFeed(std::move(feed), std::move(converter));
}

} // namespace orlenth
