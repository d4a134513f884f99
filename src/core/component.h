// Components own other components and free them with themselves; string
// lists and collections are the other persistent objects windows carry.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "core/persistent.h"

namespace velt {

class TComponent : public TPersistent {
    VELT_PERSISTENT_CLASS()
public:
    // The new component joins its owner's list; the owner frees it.
    explicit TComponent(TComponent* owner = nullptr);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    TComponent* Owner() const { return owner_; }

    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Component(int index) const { return components_[static_cast<size_t>(index)]; }
    // Case-insensitive, among the directly owned components.
    TComponent* FindComponent(const std::string& name) const;

    // Takes ownership (removing it from a previous owner first).
    void InsertComponent(TComponent* component);
    // Gives up ownership without freeing.
    void RemoveComponent(TComponent* component);

private:
    std::string name_;
    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;
};

// An ordered list of 8-bit lines, each with an optional attached object.
class TStrings : public TPersistent {
    VELT_PERSISTENT_CLASS()
public:
    virtual int Count() const = 0;
    virtual const std::string& Get(int index) const = 0;
    virtual void Put(int index, const std::string& line) = 0;
    virtual void* GetObject(int index) const = 0;
    virtual void PutObject(int index, void* object) = 0;
    virtual void Insert(int index, const std::string& line, void* object = nullptr) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;

    int Add(const std::string& line, void* object = nullptr) {
        Insert(Count(), line, object);
        return Count() - 1;
    }
    // Lines joined, each followed by CR LF.
    std::string Text() const;
    // Splits at CR LF, LF or CR.
    void SetText(const std::string& text);
    void Assign(const TStrings& other);  // lines and objects

    // Changed() runs once, when the outermost update ends.
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }

protected:
    virtual void Changed() {}
    void NotifyChanged() { if (updateCount_ == 0) Changed(); }

private:
    int updateCount_ = 0;
};

class TStringList : public TStrings {
    VELT_PERSISTENT_CLASS()
public:
    int Count() const override { return static_cast<int>(lines_.size()); }
    const std::string& Get(int index) const override { return lines_.at(static_cast<size_t>(index)).text; }
    void Put(int index, const std::string& line) override;
    void* GetObject(int index) const override { return lines_.at(static_cast<size_t>(index)).object; }
    void PutObject(int index, void* object) override { lines_.at(static_cast<size_t>(index)).object = object; }
    void Insert(int index, const std::string& line, void* object = nullptr) override;
    void Delete(int index) override;
    void Clear() override;

private:
    struct Line {
        std::string text;
        void* object;
    };
    std::vector<Line> lines_;
};

class TCollection;

class TCollectionItem : public TPersistent {
    VELT_PERSISTENT_CLASS()
public:
    explicit TCollectionItem(TCollection* collection) : collection_(collection) {}
    TCollection* Collection() const { return collection_; }

private:
    TCollection* collection_;
};

// Owns its items.
class TCollection : public TPersistent {
    VELT_PERSISTENT_CLASS()
public:
    int Count() const { return static_cast<int>(items_.size()); }
    TCollectionItem* Item(int index) const { return items_.at(static_cast<size_t>(index)).get(); }
    template <class Item, class... Args>
    Item* Add(Args&&... args) {
        items_.push_back(std::make_unique<Item>(this, std::forward<Args>(args)...));
        return static_cast<Item*>(items_.back().get());
    }
    void Clear() { items_.clear(); }

    // The name of the property under which the owner publishes the collection.
    const std::string& PropName() const { return propName_; }
    void SetPropName(const std::string& name) { propName_ = name; }

private:
    std::vector<std::unique_ptr<TCollectionItem>> items_;
    std::string propName_;
};

} // namespace velt
