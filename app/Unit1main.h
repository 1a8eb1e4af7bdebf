#pragma once
// The main window: tab strip and title list on the left, the ruled reading page on the
// right, tool bars and the banner on top. Built from its description, which also brings
// the five category containers (the whole article library) into memory; FormCreate then
// runs the start-up steps. Where the reader is (the categories' sources, the entry on
// show, the place read) is kept by a TReadingState; the handlers keep the tab strip,
// title list and page in step with it.

#include "app/Look.h"
#include "app/ReadingState.h"
#include "app/platform/DisplayText.h"
#include "app/platform/FolderArgument.h"
#include "app/platform/ScriptConversion.h"
#include "app/settings/Bookmarks.h"
#include "app/settings/FilePlaces.h"
#include "app/settings/RecentList.h"
#include "app/settings/SettingsFile.h"
#include "framework/text/ChapterScan.h"
#include "framework/text/CharacterWalk.h"
#include "framework/text/ColumnPaint.h"
#include "framework/text/Sentences.h"
#include "framework/text/TextSearch.h"
#include "framework/ui/Actions.h"
#include "framework/ui/CommonDialogs.h"
#include "framework/ui/Form.h"
#include "framework/ui/Image.h"
#include "framework/ui/ListBox.h"
#include "framework/ui/Memo.h"
#include "framework/ui/Menus.h"
#include "framework/ui/PaintBox.h"
#include "framework/ui/Panel.h"
#include "framework/ui/ScrollBox.h"
#include "framework/ui/Splitter.h"
#include "framework/ui/TabSet.h"
#include "framework/ui/Timer.h"
#include "framework/ui/ToolBar.h"
#include "framework/ui/TrackBar.h"
#include "library/WJKStringList.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QElapsedTimer>
#include <QHash>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include <string>
#include <vector>

namespace orlenth {

class TCanvas;
class TFindAllDialog;
class TFindBar;

class TOrlenth : public TCustomForm {
    Q_OBJECT
    Q_PROPERTY(orlenth::TPanel* Panel1 MEMBER Panel1 STORED false)
    Q_PROPERTY(orlenth::TPanel* Panel2 MEMBER Panel2 STORED false)
    Q_PROPERTY(orlenth::TSplitter* Splitter1 MEMBER Splitter1 STORED false)
    Q_PROPERTY(orlenth::TMemo* Memo1 MEMBER Memo1 STORED false)
    Q_PROPERTY(orlenth::TPanel* Panel3 MEMBER Panel3 STORED false)
    Q_PROPERTY(orlenth::TToolBar* ToolBar1 MEMBER ToolBar1 STORED false)
    Q_PROPERTY(orlenth::TToolButton* ToolButton1 MEMBER ToolButton1 STORED false)
    Q_PROPERTY(orlenth::TToolButton* ToolButton2 MEMBER ToolButton2 STORED false)
    Q_PROPERTY(orlenth::TToolButton* ToolButton3 MEMBER ToolButton3 STORED false)
    Q_PROPERTY(orlenth::TToolButton* ToolButton4 MEMBER ToolButton4 STORED false)
    Q_PROPERTY(orlenth::TToolButton* ToolButton5 MEMBER ToolButton5 STORED false)
    Q_PROPERTY(orlenth::TToolButton* ToolButton6 MEMBER ToolButton6 STORED false)
    Q_PROPERTY(orlenth::TImage* Image1 MEMBER Image1 STORED false)
    Q_PROPERTY(orlenth::TWJKStringList* WJKStringList0 MEMBER WJKStringList0 STORED false)
    Q_PROPERTY(orlenth::TScrollBox* ScrollBox1 MEMBER ScrollBox1 STORED false)
    Q_PROPERTY(orlenth::TPaintBox* PaintBox1 MEMBER PaintBox1 STORED false)
    Q_PROPERTY(orlenth::TTabSet* TabSet1 MEMBER TabSet1 STORED false)
    Q_PROPERTY(orlenth::TListBox* ListBox1 MEMBER ListBox1 STORED false)
    Q_PROPERTY(orlenth::TWJKStringList* WJKStringList1 MEMBER WJKStringList1 STORED false)
    Q_PROPERTY(orlenth::TWJKStringList* WJKStringList2 MEMBER WJKStringList2 STORED false)
    Q_PROPERTY(orlenth::TWJKStringList* WJKStringList4 MEMBER WJKStringList4 STORED false)
    Q_PROPERTY(orlenth::TFontDialog* FontDialog1 MEMBER FontDialog1 STORED false)
    Q_PROPERTY(orlenth::TColorDialog* ColorDialog1 MEMBER ColorDialog1 STORED false)
    Q_PROPERTY(orlenth::TPopupMenu* PopupMenu1 MEMBER PopupMenu1 STORED false)
    Q_PROPERTY(orlenth::TActionList* ActionList1 MEMBER ActionList1 STORED false)
    Q_PROPERTY(orlenth::TAction* changeFnt MEMBER changeFnt STORED false)
    Q_PROPERTY(orlenth::TAction* changBJcolor MEMBER changBJcolor STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N1 MEMBER N1 STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N2 MEMBER N2 STORED false)
    Q_PROPERTY(orlenth::TToolButton* ToolButton7 MEMBER ToolButton7 STORED false)
    Q_PROPERTY(orlenth::TToolButton* ToolButton8 MEMBER ToolButton8 STORED false)
    Q_PROPERTY(orlenth::TToolButton* ToolButton9 MEMBER ToolButton9 STORED false)
    Q_PROPERTY(orlenth::TToolButton* ToolButton10 MEMBER ToolButton10 STORED false)
    Q_PROPERTY(orlenth::TToolButton* ToolButton11 MEMBER ToolButton11 STORED false)
    Q_PROPERTY(orlenth::TTimer* Timer1 MEMBER Timer1 STORED false)
    Q_PROPERTY(orlenth::TTrackBar* TrackBar1 MEMBER TrackBar1 STORED false)
    Q_PROPERTY(orlenth::TAction* ycList1 MEMBER ycList1 STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N3 MEMBER N3 STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N4 MEMBER N4 STORED false)
    Q_PROPERTY(orlenth::TAction* gunp MEMBER gunp STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N5 MEMBER N5 STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N6 MEMBER N6 STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N7 MEMBER N7 STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N8 MEMBER N8 STORED false)
    Q_PROPERTY(orlenth::TAction* About MEMBER About STORED false)
    Q_PROPERTY(orlenth::TAction* visBK MEMBER visBK STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N9 MEMBER N9 STORED false)
    Q_PROPERTY(orlenth::TAction* chageBKColor MEMBER chageBKColor STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N10 MEMBER N10 STORED false)
    Q_PROPERTY(orlenth::TAction* BieJie MEMBER BieJie STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N11 MEMBER N11 STORED false)
    Q_PROPERTY(orlenth::TAction* chageBYse MEMBER chageBYse STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N12 MEMBER N12 STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N13 MEMBER N13 STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N14 MEMBER N14 STORED false)
    Q_PROPERTY(orlenth::TToolBar* ToolBar2 MEMBER ToolBar2 STORED false)
    Q_PROPERTY(orlenth::TToolButton* ToolButton12 MEMBER ToolButton12 STORED false)
    Q_PROPERTY(orlenth::TToolButton* ToolButton13 MEMBER ToolButton13 STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N15 MEMBER N15 STORED false)
    Q_PROPERTY(orlenth::TWJKStringList* WJKStringList3 MEMBER WJKStringList3 STORED false)
    Q_PROPERTY(orlenth::TToolButton* ToolButton14 MEMBER ToolButton14 STORED false)
    Q_PROPERTY(orlenth::TToolButton* ToolButton15 MEMBER ToolButton15 STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N17 MEMBER N17 STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N18 MEMBER N18 STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N19 MEMBER N19 STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N20 MEMBER N20 STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N21 MEMBER N21 STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N22 MEMBER N22 STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N23 MEMBER N23 STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N34 MEMBER N34 STORED false)
    Q_PROPERTY(orlenth::TAction* night MEMBER night STORED false)
    Q_PROPERTY(orlenth::TToolButton* ToolButton20 MEMBER ToolButton20 STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N30 MEMBER N30 STORED false)
    Q_PROPERTY(orlenth::TAction* openPath MEMBER openPath STORED false)
    Q_PROPERTY(orlenth::TAction* addMark MEMBER addMark STORED false)
    Q_PROPERTY(orlenth::TAction* marks MEMBER marks STORED false)
    Q_PROPERTY(orlenth::TAction* resetLook MEMBER resetLook STORED false)
    Q_PROPERTY(orlenth::TToolButton* ToolButton16 MEMBER ToolButton16 STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N24 MEMBER N24 STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N25 MEMBER N25 STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N26 MEMBER N26 STORED false)
    Q_PROPERTY(orlenth::TAction* toc MEMBER toc STORED false)
    Q_PROPERTY(orlenth::TAction* nextHeading MEMBER nextHeading STORED false)
    Q_PROPERTY(orlenth::TAction* prevHeading MEMBER prevHeading STORED false)
    Q_PROPERTY(orlenth::TAction* chapterRules MEMBER chapterRules STORED false)
    Q_PROPERTY(orlenth::TAction* find MEMBER find STORED false)
    Q_PROPERTY(orlenth::TAction* findNext MEMBER findNext STORED false)
    Q_PROPERTY(orlenth::TAction* findPrevious MEMBER findPrevious STORED false)
    Q_PROPERTY(orlenth::TAction* findAll MEMBER findAll STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N27 MEMBER N27 STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N28 MEMBER N28 STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N29 MEMBER N29 STORED false)
    Q_PROPERTY(orlenth::TToolButton* ToolButton21 MEMBER ToolButton21 STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N35 MEMBER N35 STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N36 MEMBER N36 STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N37 MEMBER N37 STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N38 MEMBER N38 STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N39 MEMBER N39 STORED false)
    Q_PROPERTY(orlenth::TAction* readAloud MEMBER readAloud STORED false)
    Q_PROPERTY(orlenth::TAction* readPause MEMBER readPause STORED false)
    Q_PROPERTY(orlenth::TAction* readStop MEMBER readStop STORED false)
    Q_PROPERTY(orlenth::TToolButton* ToolButton22 MEMBER ToolButton22 STORED false)
    Q_PROPERTY(orlenth::TMenuItem* N40 MEMBER N40 STORED false)
    Q_PROPERTY(orlenth::TAction* vertical MEMBER vertical STORED false)

public:
    // The components, in the order the window declares them; bound by name when read.
    TPanel* Panel1 = nullptr;
    TPanel* Panel2 = nullptr;
    TSplitter* Splitter1 = nullptr;
    TMemo* Memo1 = nullptr;
    TPanel* Panel3 = nullptr;
    TToolBar* ToolBar1 = nullptr;
    TToolButton* ToolButton1 = nullptr;
    TToolButton* ToolButton2 = nullptr;
    TToolButton* ToolButton3 = nullptr;
    TToolButton* ToolButton4 = nullptr;
    TToolButton* ToolButton5 = nullptr;
    TToolButton* ToolButton6 = nullptr;
    TImage* Image1 = nullptr;
    TWJKStringList* WJKStringList0 = nullptr;
    TScrollBox* ScrollBox1 = nullptr;
    TPaintBox* PaintBox1 = nullptr;
    TTabSet* TabSet1 = nullptr;
    TListBox* ListBox1 = nullptr;
    TWJKStringList* WJKStringList1 = nullptr;
    TWJKStringList* WJKStringList2 = nullptr;
    TWJKStringList* WJKStringList4 = nullptr;
    TFontDialog* FontDialog1 = nullptr;
    TColorDialog* ColorDialog1 = nullptr;
    TPopupMenu* PopupMenu1 = nullptr;
    TActionList* ActionList1 = nullptr;
    TAction* changeFnt = nullptr;
    TAction* changBJcolor = nullptr;
    TMenuItem* N1 = nullptr;
    TMenuItem* N2 = nullptr;
    TToolButton* ToolButton7 = nullptr;
    TToolButton* ToolButton8 = nullptr;
    TToolButton* ToolButton9 = nullptr;
    TToolButton* ToolButton10 = nullptr;
    TToolButton* ToolButton11 = nullptr;
    TTimer* Timer1 = nullptr;
    TTrackBar* TrackBar1 = nullptr;
    TAction* ycList1 = nullptr;
    TMenuItem* N3 = nullptr;
    TMenuItem* N4 = nullptr;
    TAction* gunp = nullptr;
    TMenuItem* N5 = nullptr;
    TMenuItem* N6 = nullptr;
    TMenuItem* N7 = nullptr;
    TMenuItem* N8 = nullptr;
    TAction* About = nullptr;
    TAction* visBK = nullptr;
    TMenuItem* N9 = nullptr;
    TAction* chageBKColor = nullptr;
    TMenuItem* N10 = nullptr;
    TAction* BieJie = nullptr;
    TMenuItem* N11 = nullptr;
    TAction* chageBYse = nullptr;
    TMenuItem* N12 = nullptr;
    TMenuItem* N13 = nullptr;
    TMenuItem* N14 = nullptr;
    TToolBar* ToolBar2 = nullptr;
    TToolButton* ToolButton12 = nullptr;
    TToolButton* ToolButton13 = nullptr;
    TMenuItem* N15 = nullptr;
    TWJKStringList* WJKStringList3 = nullptr;
    // Opening, bookmarks and the appearance's reset; the two buttons wait in the left
    // bar's customization until the user puts them on the bar.
    TToolButton* ToolButton14 = nullptr;
    TToolButton* ToolButton15 = nullptr;
    TMenuItem* N17 = nullptr;
    TMenuItem* N18 = nullptr;
    TMenuItem* N19 = nullptr;
    TMenuItem* N20 = nullptr;
    TMenuItem* N21 = nullptr;
    TMenuItem* N22 = nullptr;
    // 编码, a submenu filled when it opens.
    TMenuItem* N23 = nullptr;
    // 夜间: the night colours and back.
    TMenuItem* N34 = nullptr;
    TAction* night = nullptr;
    TToolButton* ToolButton20 = nullptr;
    // 简繁, a submenu of the scripts the page can show the text in.
    TMenuItem* N30 = nullptr;
    TAction* openPath = nullptr;
    TAction* addMark = nullptr;
    TAction* marks = nullptr;
    TAction* resetLook = nullptr;
    // The table of contents: its button waits in the bar's customization as 14 and 15 do.
    TToolButton* ToolButton16 = nullptr;
    TMenuItem* N24 = nullptr;
    TMenuItem* N25 = nullptr;
    TMenuItem* N26 = nullptr;
    TAction* toc = nullptr;
    TAction* nextHeading = nullptr;
    TAction* prevHeading = nullptr;
    TAction* chapterRules = nullptr;
    // Finding in the text on show (the find bar) and in every text (查找全部).
    TAction* find = nullptr;
    TAction* findNext = nullptr;
    TAction* findPrevious = nullptr;
    TAction* findAll = nullptr;
    TMenuItem* N27 = nullptr;
    TMenuItem* N28 = nullptr;
    TMenuItem* N29 = nullptr;
    // 朗读: its button waits in the bar's customization as 14 and 15 do; 语速 and 声音 are
    // submenus filled by the window.
    TToolButton* ToolButton21 = nullptr;
    TMenuItem* N35 = nullptr;
    TMenuItem* N36 = nullptr;
    TMenuItem* N37 = nullptr;
    TMenuItem* N38 = nullptr;
    TMenuItem* N39 = nullptr;
    TAction* readAloud = nullptr;
    TAction* readPause = nullptr;
    TAction* readStop = nullptr;
    // 竖排: the page in columns, top to bottom and right to left; its button waits in the
    // bar's customization as 14 and 15 do.
    TToolButton* ToolButton22 = nullptr;
    TMenuItem* N40 = nullptr;
    TAction* vertical = nullptr;

    // Reads the description (controls and library) and runs FormCreate; a failure inside
    // FormCreate is reported and start-up goes on, a damaged description throws.
    explicit TOrlenth(TComponent* owner = nullptr);
    ~TOrlenth() override;

    // The application title, GBK: every error box's caption and the window's caption.
    static QByteArray ApplicationTitle();
    // The page font's size in whole points and the line pitch: that size plus the page's
    // Tag, used as pixels, or more where the font's cell would come near a rule
    // (LinePitchFor).
    int PageFontPoints();
    int LinePitch();
    // What the current article is: the wrap engine's text.
    QByteArray ArticleText() const;

public slots:
    // Start-up and the article road.
    void FormCreate(orlenth::TComponent* sender);
    void TabSet1Change(orlenth::TComponent* sender, int newTab, bool& allowChange);
    void ListBox1Click(orlenth::TComponent* sender);
    // Page Down (and Space) and Page Up in the reading area page as 下翻页 and 上翻页 do.
    void ScrollBox1KeyDown(orlenth::TComponent* sender, int& key);
    void ScrollBox1Resize(orlenth::TComponent* sender);
    void PaintBox1Paint(orlenth::TComponent* sender);
    // Navigation and auto-scroll.
    void ToolButton5Click(orlenth::TComponent* sender);
    void ToolButton6Click(orlenth::TComponent* sender);
    void N7Click(orlenth::TComponent* sender);
    void N8Click(orlenth::TComponent* sender);
    void ToolButton7Click(orlenth::TComponent* sender);
    void Timer1Timer(orlenth::TComponent* sender);
    void TrackBar1Change(orlenth::TComponent* sender);
    // Appearance and the other commands.
    void changeFntExecute(orlenth::TComponent* sender);
    void changBJcolorExecute(orlenth::TComponent* sender);
    void chageBKColorExecute(orlenth::TComponent* sender);
    void chageBYseExecute(orlenth::TComponent* sender);
    void visBKExecute(orlenth::TComponent* sender);
    void BieJieExecute(orlenth::TComponent* sender);
    void ycList1Execute(orlenth::TComponent* sender);
    void AboutExecute(orlenth::TComponent* sender);
    // The left bar's customization, as a double click on its free part opens it.
    void custBarExecute(orlenth::TComponent* sender);
    void N15Click(orlenth::TComponent* sender);
    // Opening, bookmarks and the appearance's reset.
    void openPathExecute(orlenth::TComponent* sender);
    void addMarkExecute(orlenth::TComponent* sender);
    void marksExecute(orlenth::TComponent* sender);
    void resetLookExecute(orlenth::TComponent* sender);
    void nightExecute(orlenth::TComponent* sender);
    // The table of contents (目录) in place of the title list, and back; the next and the
    // previous heading; the way headings are found in the text on show.
    void tocExecute(orlenth::TComponent* sender);
    void nextHeadingExecute(orlenth::TComponent* sender);
    void prevHeadingExecute(orlenth::TComponent* sender);
    void chapterRulesExecute(orlenth::TComponent* sender);
    // The find bar: opened with its field focused; the next and the previous hit after the
    // place read (or the hit on show); 查找全部 over every text.
    void findExecute(orlenth::TComponent* sender);
    void findNextExecute(orlenth::TComponent* sender);
    void findPreviousExecute(orlenth::TComponent* sender);
    void findAllExecute(orlenth::TComponent* sender);
    // 朗读 from the top line, and again to stop; 暂停朗读 (继续朗读 while paused); 停止朗读.
    void readAloudExecute(orlenth::TComponent* sender);
    void readPauseExecute(orlenth::TComponent* sender);
    void readStopExecute(orlenth::TComponent* sender);
    // 竖排 on and off, the place read kept.
    void verticalExecute(orlenth::TComponent* sender);

public:
    // Opens a file or a folder (bytes as the file system has them; relative to the working
    // directory) as 打开, a drop, 最近打开 and a bookmark do: its folder becomes the folder
    // tab (made when there is none, its caption the folder's name) and the file, listed
    // whatever its name, or else the folder's first, is shown at the place it was left.
    // A path that names nothing: EFOpenError "Cannot open file %s", nothing changed.
    void OpenPath(const std::string& path);
    // The place read: the text offset of the top line's start (or of the place the page
    // is on its way to).
    std::uint32_t PlaceRead();
    // Puts the line holding text byte `offset` at the top, as soon as wrapping has reached
    // it; a move of the page before then cancels it.
    void GoToPlace(std::uint32_t offset);
    // Writes the settings that changed, now (nothing without a settings file).
    void SaveSettings();
    // The appearance as the controls have it now, and the design's.
    TLook CurrentLook();
    const TLook& DesignLook() const { return design_; }
    void ApplyLook(const TLook& look);

    // Lays the page out in columns (top to bottom, right to left) or in rows, keeping the
    // place read, as 竖排 does; kept with the look.
    void SetColumns(bool columns);

    // Reads the folder file on show again in `encoding` (the detection's choice when
    // nothing), keeping the place read by its character position, and keeps the choice
    // for that file. Nothing happens when the page shows no folder file.
    void ChooseEncoding(std::optional<platform::FileEncoding> encoding);
    // What the text on show was read as: null for a built-in article.
    const platform::EncodingReport* EncodingOnShow() const { return encodingReport_.get(); }
    // The table of contents as it shows: the tree (null until 目录 was first used), the
    // headings (or sections) its items stand for, in text order, and whether they are
    // sections cut for a text without headings.
    QTreeWidget* ChapterTree() const { return tocTree_; }
    const std::vector<text::Heading>& Chapters() const { return tocHeadings_; }
    bool ChaptersAreSections() const { return tocSections_; }
    // Brings the list and the chapter being read up to date with the scan now, as the
    // window does a few times a second.
    void RefreshChapters();
    // Finds headings in the text on show the way `stored` says (ChapterChoice's form);
    // a folder file keeps the choice in its place record for its next opening.
    void ApplyChapterChoice(const QString& stored);

    // Shows the text on show, and every text after it, in `script` (the stored text and
    // files never change), keeping the place read by its character position, and keeps
    // the choice with the settings. A script whose dictionaries cannot be loaded:
    // EScriptError, nothing changed.
    void ChooseScript(platform::Script script);
    platform::Script ScriptOnShow() const { return script_; }

    // Step forward ('q') or back ('h') through the titles and on across the categories;
    // any other key does nothing.
    void StepArticle(char key);

    // The find bar (made hidden with the window) and the hit it shows highlighted, if any.
    TFindBar* FindBar();
    std::optional<text::TSearchHit> FoundHit() const;
    // The 查找全部 window, once opened; null before.
    TFindAllDialog* FindAllWindow();
    // Shows entry `entry` of `category` with the hit of `typed` at `offset` highlighted and
    // in view, as the find bar shows a hit, the bar open on `typed`.
    void ShowFound(int category, int entry, std::size_t offset, const QString& typed);

    // 朗读: whether the window reads aloud, whether that is paused, and the sentence being
    // read, highlighted on the page (none when not reading). The speed (-100 to 100, 0 the
    // voice's own) and the voice by name (empty: the engine's first) as chosen.
    bool ReadingAloud() const;
    bool ReadingPaused() const;
    std::optional<text::TSentence> SpokenSentence() const;
    int SpeechRate() const;
    QString SpeechVoice() const;
    // Chooses the speed or the voice as 语速 and 声音 do, kept with the settings. A voice
    // the engine does not offer is kept for a later engine but changes nothing now.
    void ChooseSpeechRate(int rate);
    void ChooseSpeechVoice(const QString& name);

private:
    // What the detection took a folder file for, and the file as it was then.
    struct KnownVerdict {
        TFileIdentity file;
        platform::FileEncoding encoding;
    };
    // Opens entry `entry` of `category` onto the page (see TReadingState::Open for what
    // it throws; the page keeps its text then). Nothing to open leaves the page as it is.
    // `known`: a folder file that opens as that same file, unchanged, is read in that
    // verdict instead of being detected again (it still shows as detected, not chosen);
    // an encoding the reader chose for it comes first.
    void ShowEntry(int category, int entry, const std::optional<KnownVerdict>& known = {});

    // When the display lines change under the reader (another width or font), the line at
    // the top of the area is noted first, by where it starts in the text, and put back at
    // the top afterwards: keeping the pixel offset would show another line.
    struct TopAnchor {
        bool set = false;
        std::uint32_t offset = 0;
        int within = 0;
    };
    TopAnchor NoteTopLine();
    void RestoreTopLine(const TopAnchor& anchor);
    // The page's height from its lines and pitch, so that the area's range follows them.
    void SetPageHeight();

    // The find bar's state and the 查找全部 window (Unit1mainFind.cpp).
    struct FindState;
    struct FindStateDeleter {
        void operator()(FindState* state) const;
    };
    std::unique_ptr<FindState, FindStateDeleter> find_;
    void SetUpFind();
    void FindEdited(const QString& typed);
    void FindGo(bool forward);
    void FindStep();
    void FindTextReplaced();
    void RestartFindCount();
    void StartFindNumbering();
    void RevealFoundHit();
    bool FoundHitInView();
    void CloseFindBar();
    void UpdateFindResult();
    // Where a column is drawn and what draws it, for the highlights below: in columns they
    // mark a stretch down the column instead of across the row.
    struct ColumnCell {
        text::ColumnPainter* painter;
        double left;
        double top;
        double width;
    };
    // Draws display line `line` (`text`, its top at canvas row `row`, or in `column`) with
    // the part of the found hit on it highlighted; false, drawing nothing, when the hit is
    // not on it.
    bool PaintFoundLine(TCanvas& canvas, int line, int row, const QByteArray& text,
                        const ColumnCell* column = nullptr);

    // 朗读's engine, reader and menus (Unit1mainSpeech.cpp).
    struct SpeechState;
    struct SpeechStateDeleter {
        void operator()(SpeechState* state) const;
    };
    std::unique_ptr<SpeechState, SpeechStateDeleter> speech_;
    void SetUpSpeech();
    bool MakeSpeechReady();
    void StartReadingAloud(std::size_t offset);
    void StopReadingAloud();
    void SpokenSentenceStarted(const text::TSentence& sentence);
    void SpokenTextEnded(std::uint64_t run);
    void RevealSpokenSentence();
    void UpdateSpeechActions();
    void FillRateMenu();
    void FillVoiceMenu();
    // Draws display line `line` with the part of the sentence being read on it
    // highlighted; false, drawing nothing, when that sentence is not on it.
    bool PaintSpokenLine(TCanvas& canvas, int line, int row, const QByteArray& text,
                         const ColumnCell* column = nullptr);
    // Draws display line `line` with text bytes [offset, offset + length) on it filled with
    // colour `back` and written in `fore`; false, drawing nothing, when they are not on it.
    bool PaintMarkedLine(TCanvas& canvas, int line, int row, const QByteArray& text,
                         std::uint64_t offset, std::uint64_t length, int back, int fore,
                         const ColumnCell* column);
    // The page in columns (Unit1mainColumns.cpp): painted, and where a screen reader finds
    // column `line`.
    void PaintColumns();
    QRect ColumnRect(int line);

    // Where the reader is: the categories' sources, the entry on show.
    TReadingState state_;
    // Before another entry replaces the one on show: its file's place is remembered.
    void NoteLeaving();
    // The settings' part of building the window: the design's look noted, the remembered
    // one put in its place, drops, 最近打开 and the writing every little while set up.
    void SetUpLasting();
    void TryPendingPlace();
    // Start-up: the remembered appearance and window, and the last place's folder.
    void RestoreSettings();
    platform::FolderTarget RememberedFolder(int& category, int& entry, std::uint32_t& offset);
    void FillRecentMenu();
    void OpenRecent(const QString& path);
    void GoToBookmark(const settings::TBookmark& mark);

    // Taken once the description is read: the file may still be being read meanwhile.
    settings::TSettingsFile* settings_ = nullptr;
    // The kept lists, read from the settings file when first asked for.
    settings::TFilePlaces& Places();
    settings::TBookmarks& Bookmarks();
    settings::TRecentList& Recent();
    std::unique_ptr<settings::TFilePlaces> places_;
    std::unique_ptr<settings::TBookmarks> bookmarks_;
    std::unique_ptr<settings::TRecentList> recent_;
    TLook design_;
    // The colours of the set that does not show (day or night).
    TPageColors hiddenColors_ = NightPreset();
    std::optional<std::uint32_t> pendingOffset_;
    std::int64_t pendingAt_ = 0;
    // What was last written, so that an unchanged value is not written again and another
    // reader's newer one stands.
    QByteArray LookSnapshot();
    QByteArray PlaceSnapshot();
    void SaveIfDue();
    QByteArray savedLook_, savedPlace_;
    QElapsedTimer placeWritten_;
    QTimer saveTimer_;
    std::unique_ptr<QMenu> recentMenu_;
    std::unique_ptr<QObject> windowEvents_;
    // 编码: the folder file's encoding, chosen by the reader or by the detection.
    void SetUpEncodingMenu();
    void FillEncodingMenu();
    std::optional<platform::FileEncoding> EncodingChoiceFor(const QString& canonicalPath);
    void StepEncodingPlace();
    std::unique_ptr<QMenu> encodingMenu_;
    std::shared_ptr<platform::EncodingReport> encodingReport_;
    // This run's choices by canonical path: they hold without a settings file too.
    QHash<QString, QString> encodingChoices_;
    // The place read before a re-read, found again in the new text by its character count:
    // first counted in the text on show, which is then read again, then walked to in the
    // new one as it arrives, a few megabytes a step.
    struct EncodingPlace {
        std::uint32_t offset = 0;
        bool counted = false;
        bool reread = false;
        bool rereading = false; // the one text change that does not cancel it
        // A script switch: the same bytes, so the detection's verdict on them stands.
        bool sameEncoding = false;
        std::uint64_t characters = 0;
        text::TCharacterWalk walk;
        std::int64_t at = 0; // the page's position after the re-read: a move cancels it
    };
    void ReadAgainInChosenEncoding();
    std::optional<EncodingPlace> encodingPlace_;
    QTimer encodingTimer_;
    // 简繁: the script the page shows its text in; a display choice over the same text.
    void SetUpScriptMenu();
    void FillScriptMenu();
    text::TextFeed InChosenScript(text::TextFeed feed);
    std::unique_ptr<QMenu> scriptMenu_;
    platform::Script script_ = platform::Script::Original;
    // During start-up: the name of the row to open first.
    std::string startFile_;

    // The table of contents (Unit1mainChapters.cpp).
    void SetUpChapters();
    void StartChapterScan();
    void ShowChapters(bool show);
    void FillChapterTree(const text::ChapterList& list);
    void MarkChapterRead();
    void GoToChapter(QTreeWidgetItem* item);
    QString ChoiceForFile();
    std::unique_ptr<text::ChapterScan> chapterScan_;
    text::ChapterChoice chapterChoice_;
    bool chapterChoiceSet_ = false; // chosen for the text on show since it opened
    std::uint64_t chapterProgress_ = UINT64_MAX;
    std::vector<text::Heading> tocHeadings_;
    bool tocSections_ = false;
    QTreeWidget* tocTree_ = nullptr;
    std::vector<QTreeWidgetItem*> tocItems_; // by heading
    QTreeWidgetItem* tocNote_ = nullptr;     // what the list says besides its headings
    QTreeWidgetItem* tocVolume_ = nullptr;   // the last volume listed
    std::size_t tocRead_ = SIZE_MAX;         // the heading marked as being read
    QTimer tocTimer_;
    std::unique_ptr<QObject> tocEvents_;
};

} // namespace orlenth
