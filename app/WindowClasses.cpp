#include "app/WindowClasses.h"

#include "framework/ClassRegistry.h"
#include "framework/ui/Actions.h"
#include "framework/ui/Colors.h"
#include "framework/ui/CommonDialogs.h"
#include "framework/ui/Control.h"
#include "framework/ui/Image.h"
#include "framework/ui/Label.h"
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
#include "resource/LibraryLoader.h"
#include "resource/picture/Picture.h"

namespace orlenth {

void RegisterWindowClasses() {
    RegisterColorIdents();
    RegisterCursorIdents();
    RegisterLibraryClasses();
    RegisterClass<TPanel>();
    RegisterClass<TLabel>();
    RegisterClass<TImage>();
    TPicture::SetDecoder(DecodePicture);
    RegisterClass<TTimer>();
    RegisterClass<TSplitter>();
    RegisterClass<TTabSet>();
    RegisterClass<TListBox>();
    RegisterClass<TScrollBox>();
    RegisterClass<TPaintBox>();
    RegisterClass<TMemo>();
    RegisterClass<TToolBar>();
    RegisterClass<TToolButton>();
    RegisterClass<TTrackBar>();
    RegisterClass<TPopupMenu>();
    RegisterClass<TMenuItem>();
    RegisterClass<TActionList>();
    RegisterClass<TAction>();
    RegisterClass<TFontDialog>();
    RegisterClass<TColorDialog>();
}

} // namespace orlenth
