#pragma once
#include "engine/TSyncNodeData.h"

#include <memory>
#include <vector>

// One row of a job's result: its record and its child rows. A parent owns its children;
// rows are only appended while a tree is built, and the whole tree is dropped to rebuild it.
struct TSyncNode {
    TSyncNodeData Data;
    TSyncNode *Parent = nullptr;
    int IndexInParent = 0;
    std::vector<std::unique_ptr<TSyncNode>> Children;

    TSyncNode *AddChild(const TSyncNodeData &data)
    {
        auto child = std::make_unique<TSyncNode>();
        child->Data = data;
        child->Parent = this;
        child->IndexInParent = int(Children.size());
        Children.push_back(std::move(child));
        return Children.back().get();
    }
    int ChildCount() const { return int(Children.size()); }
    TSyncNode *Child(int i) const { return Children[size_t(i)].get(); }
};
