#pragma once
#include "engine/RowRecord.h"

#include <memory>
#include <vector>

// One row of a job's result: its record and its child rows. A parent owns its children;
// rows are only appended while a tree is built, and the whole tree is dropped to rebuild it.
struct Row {
    RowRecord Data;
    Row *Parent = nullptr;
    int IndexInParent = 0;
    std::vector<std::unique_ptr<Row>> Children;

    Row *AddChild(const RowRecord &data)
    {
        auto child = std::make_unique<Row>();
        child->Data = data;
        child->Parent = this;
        child->IndexInParent = int(Children.size());
        Children.push_back(std::move(child));
        return Children.back().get();
    }
    int ChildCount() const { return int(Children.size()); }
    Row *Child(int i) const { return Children[size_t(i)].get(); }
};
