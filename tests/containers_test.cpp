#include "library/WJKStringList.h"

#include "framework/ClassRegistry.h"
#include "framework/Errors.h"
#include "framework/Filer.h"

#include <gtest/gtest.h>

#include <QMetaProperty>

using namespace orlenth;

namespace {

TWJKStringListItem* addItem(TWJKStringList& list, const std::string& description,
                            std::uint16_t ident = 0) {
    auto* item = list.GetArrayItem(list.Add());
    item->SetDescription(description);
    item->SetIdent(ident);
    return item;
}

std::vector<std::string> descriptions(const TWJKStringList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.GetCount(); ++i) out.push_back(list.GetArrayItem(i)->Description());
    return out;
}

void expectListError(const std::function<void()>& f, const std::string& message) {
    try {
        f();
        ADD_FAILURE() << "no error";
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), message);
    }
}

} // namespace

TEST(Component, OwnsAndDestroysItsComponents) {
    int destroyed = 0;
    {
        TComponent root;
        auto* a = new TComponent(&root);
        a->SetName("A");
        auto* b = new TComponent(a);
        QObject::connect(b, &QObject::destroyed, [&] { ++destroyed; });
        QObject::connect(a, &QObject::destroyed, [&] { ++destroyed; });
        EXPECT_EQ(root.FindComponent("A"), a);
        EXPECT_EQ(root.FindComponent("a"), nullptr);
        EXPECT_EQ(b->Owner(), a);
        EXPECT_THROW(root.Component(1), EListError);
    }
    EXPECT_EQ(destroyed, 2);
    // A component destroyed by hand leaves its owner.
    TComponent root;
    delete new TComponent(&root);
    EXPECT_EQ(root.ComponentCount(), 0);
}

TEST(Container, NewItemsAreEmptyAndOwned) {
    TWJKStringList list;
    EXPECT_TRUE(list.GetEmpty());
    EXPECT_EQ(list.Add(), 0);
    auto* item = list.GetArrayItem(0);
    EXPECT_EQ(item->Description(), "");
    EXPECT_EQ(item->Ident(), 0);
    EXPECT_FALSE(item->Compressed());
    EXPECT_TRUE(item->GetList().Empty());
    EXPECT_EQ(item->Owner(), &list);
    EXPECT_EQ(item->GetIndex(), 0);
    EXPECT_EQ(list.GetCount(), 1);
}

TEST(Container, BoundsErrorsLeaveTheListAsItWas) {
    TWJKStringList list;
    addItem(list, "a");
    addItem(list, "b");
    const auto before = descriptions(list);
    expectListError([&] { list.GetArrayItem(2); }, "List index out of bounds (2)");
    expectListError([&] { list.GetArrayItem(-1); }, "List index out of bounds (-1)");
    expectListError([&] { list.Delete(2); }, "List index out of bounds (2)");
    expectListError([&] { list.Insert(3); }, "List index out of bounds (3)");
    expectListError([&] { list.Move(0, 2); }, "List index out of bounds (2)");
    expectListError([&] { list.Move(-1, 0); }, "List index out of bounds (-1)");
    EXPECT_EQ(descriptions(list), before);
    EXPECT_EQ(list.GetCount(), 2);
}

TEST(Container, InsertDeleteMoveKeepOrder) {
    TWJKStringList list;
    for (const char* d : {"a", "b", "c", "d"}) addItem(list, d);
    list.Insert(1);
    list.GetArrayItem(1)->SetDescription("x");
    list.Insert(5);
    list.GetArrayItem(5)->SetDescription("end");
    EXPECT_EQ(descriptions(list), (std::vector<std::string>{"a", "x", "b", "c", "d", "end"}));
    list.Move(0, 3);
    EXPECT_EQ(descriptions(list), (std::vector<std::string>{"x", "b", "c", "a", "d", "end"}));
    list.Move(4, 0);
    EXPECT_EQ(descriptions(list), (std::vector<std::string>{"d", "x", "b", "c", "a", "end"}));
    list.Delete(2);
    EXPECT_EQ(descriptions(list), (std::vector<std::string>{"d", "x", "c", "a", "end"}));
    EXPECT_EQ(list.ComponentCount(), 5);
    list.Clear();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.ComponentCount(), 0);
}

TEST(Container, FindsByExactDescriptionLowestIndexFirst) {
    TWJKStringList list;
    addItem(list, "title", 1);
    addItem(list, "Title", 2);
    addItem(list, "title", 3);
    EXPECT_EQ(list.GetArrayNameItem("title")->Ident(), 1);
    EXPECT_EQ(list.GetArrayNameItem("Title")->Ident(), 2);
    EXPECT_EQ(list.GetArrayNameItem("TITLE"), nullptr);
    EXPECT_EQ(list.IndexOf(list.GetArrayNameItem("Title")), 1);
}

TEST(Container, AddTakesOverItemsSafely) {
    TWJKStringList a, b;
    auto* item = addItem(a, "moved");
    addItem(a, "stays");
    b.Add(item);
    EXPECT_EQ(descriptions(a), std::vector<std::string>{"stays"});
    EXPECT_EQ(descriptions(b), std::vector<std::string>{"moved"});
    EXPECT_EQ(item->Owner(), &b);
    // Adding an item that is already held moves it to the end instead of holding it twice.
    addItem(b, "second");
    EXPECT_EQ(b.Add(item), 1);
    EXPECT_EQ(descriptions(b), (std::vector<std::string>{"second", "moved"}));
    // Destroying an item by hand takes it out of its container.
    delete item;
    EXPECT_EQ(descriptions(b), std::vector<std::string>{"second"});
    // An item of a class other than the container's is refused.
    TWJKListItem plain;
    EXPECT_THROW(b.Add(&plain), EConvertError);
}

TEST(Container, AssignCopiesItemsAndRefusesOtherClasses) {
    TWJKStringList source;
    source.SetDefaultCompressed(true);
    auto* item = addItem(source, "t", 7);
    item->SetCompressed(true);
    item->SetList(TLineList{"ab", "cd"});

    TWJKStringList copy;
    addItem(copy, "gone");
    int changes = 0;
    copy.OnChange = [&](TComponent*) { ++changes; };
    copy.Assign(&source);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(copy.DefaultCompressed());
    ASSERT_EQ(copy.GetCount(), 1);
    auto* c = copy.GetArrayItem(0);
    EXPECT_NE(c, item);
    EXPECT_EQ(c->Description(), "t");
    EXPECT_EQ(c->Ident(), 7);
    EXPECT_TRUE(c->Compressed());
    EXPECT_EQ(c->GetList(), (TLineList{"ab", "cd"}));

    TComponent other;
    other.SetDesignPosition(1, 2);
    try {
        copy.Assign(&other);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TComponent to a TWJKStringList");
    }
    try {
        c->Assign(&copy);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TWJKStringList to a TWJKStringListItem");
    }
    c->Assign(TLineList{"only"});
    EXPECT_EQ(c->GetList(), TLineList{"only"});

    // Adding a container's items to itself copies each once.
    copy.AddList(copy);
    EXPECT_EQ(copy.GetCount(), 2);
}

TEST(Container, ChangeNotificationReachesLinksAndEvents) {
    TWJKStringList list;
    std::vector<TComponent*> linkSenders, ownSenders;
    TWJKChangeLink link;
    link.OnChange = [&](TComponent* s) { linkSenders.push_back(s); };
    list.RegisterChanges(&link);
    EXPECT_EQ(link.Sender(), &list);
    list.OnChange = [&](TComponent* s) { ownSenders.push_back(s); };

    list.Add();
    EXPECT_EQ(ownSenders, std::vector<TComponent*>{&list});
    auto* item = list.GetArrayItem(0);
    int itemChanges = 0;
    item->OnChange = [&](TComponent*) { ++itemChanges; };
    item->SetDescription("x");
    EXPECT_EQ(itemChanges, 1);
    EXPECT_EQ(ownSenders.back(), item);
    EXPECT_EQ(linkSenders.back(), item);

    // During an update the links still hear of changes, the container's own event not.
    ownSenders.clear();
    linkSenders.clear();
    list.BeginUpdate();
    list.Add();
    list.Add();
    EXPECT_TRUE(ownSenders.empty());
    EXPECT_EQ(linkSenders.size(), 2u);
    list.EndUpdate(true);
    EXPECT_EQ(ownSenders.size(), 1u);

    list.UnRegisterChanges(&link);
    EXPECT_EQ(link.Sender(), nullptr);
    list.Clear();
    EXPECT_EQ(linkSenders.size(), 3u);
}

TEST(Container, LinksOutliveOrPredeceaseTheirContainer) {
    TWJKChangeLink outer;
    {
        TWJKStringList list;
        list.RegisterChanges(&outer);
        {
            TWJKChangeLink inner;
            list.RegisterChanges(&inner);
        }
        list.Add(); // the destroyed inner link is not called
    }
    EXPECT_EQ(outer.Sender(), nullptr);
}

TEST(Container, PublishedPropertiesInStoredOrder) {
    auto names = [](const QMetaObject& mo) {
        std::vector<std::string> out;
        for (int i = TComponent::staticMetaObject.propertyCount(); i < mo.propertyCount(); ++i)
            out.push_back(mo.property(i).name());
        return out;
    };
    EXPECT_EQ(names(TWJKStringList::staticMetaObject),
              (std::vector<std::string>{"About", "DefaultCompressed"}));
    EXPECT_EQ(names(TWJKStringListItem::staticMetaObject),
              (std::vector<std::string>{"Description", "Ident", "Items"}));
    EXPECT_FALSE(TWJKStringListItem::staticMetaObject
                     .property(TWJKStringListItem::staticMetaObject.indexOfProperty("Items"))
                     .isStored());
    // A stored integer wider than the identifier keeps its low 16 bits.
    TWJKStringListItem item;
    item.setProperty("Ident", 0x10005);
    EXPECT_EQ(item.Ident(), 5);
}

TEST(Container, FirstListRegistersTheItemClass) {
    TWJKStringList list;
    const TComponentFactory* make = FindClass("TWJKStringListItem");
    ASSERT_NE(make, nullptr);
    TComponent* made = (*make)(&list);
    EXPECT_EQ(made->ClassName(), "TWJKStringListItem");
    EXPECT_EQ(made->Owner(), &list);
    EXPECT_EQ(FindClass("TWJKStringListItems"), nullptr);
}

// A reader stand-in: records what the item declares and plays the reader's part.
class FakeReader : public TReader {
public:
    explicit FakeReader(TComponent* parent) : parent_(parent) {}
    void DefineBinaryProperty(std::string_view name, BinaryProc read, BinaryProc,
                              bool data) override {
        declared.emplace_back(name);
        hasData = data;
        readInternal = std::move(read);
    }
    void DefineIntegerProperty(std::string_view name, IntegerReadProc, IntegerWriteProc,
                               bool data) override {
        declared.emplace_back(name);
        EXPECT_FALSE(data) << "an item at designer position 0 has no position to store";
    }
    TComponent* Parent() const override { return parent_; }
    void ReadProperties(TComponent& c) override {
        c.DefineProperties(*this);
        TMemoryStream record;
        const std::uint8_t bytes[] = {0x08, 0x08, 0,   0,   0,    'a', 'b',
                                      '\r', '\n', 'c', 'd', '\r', '\n'};
        record.WriteExact(bytes, sizeof bytes);
        record.SetPosition(0);
        readInternal(record);
    }
    void ReadChildren(TComponent&) override {}

    std::vector<std::string> declared;
    bool hasData = false;
    BinaryProc readInternal;

private:
    TComponent* parent_;
};

TEST(Container, ItemReadFromAStreamDecodesAndAppendsItself) {
    TWJKStringList list;
    addItem(list, "first");
    auto* item = new TWJKStringListItem(list.GetChildOwner());
    FakeReader reader(&list);
    item->ReadState(reader);
    EXPECT_EQ(reader.declared, (std::vector<std::string>{"Left", "Top", "Internal"}));
    EXPECT_TRUE(reader.hasData);
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetArrayItem(1), item);
    EXPECT_EQ(item->GetList(), (TLineList{"ab", "cd"}));

    std::vector<TComponent*> children;
    list.GetChildren([&](TComponent* c) { children.push_back(c); }, nullptr);
    EXPECT_EQ(children, (std::vector<TComponent*>{list.GetArrayItem(0), item}));
}
