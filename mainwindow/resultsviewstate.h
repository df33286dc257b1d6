#pragma once

namespace nomix {

// What the results grid asks its owner while drawing: the main window holds
// the data and the options, the grid only paints them.
class ResultsViewState {
  public:
    virtual ~ResultsViewState() = default;
    virtual bool gridDatabaseLoaded() const = 0;
    virtual bool gridSearchFinished() const = 0;
    virtual bool gridShowBitmaps() const = 0;
    virtual bool gridShowAllProducts() const = 0;
    virtual bool gridAllProductsSelected() const = 0;
    virtual bool gridProductSelected(int column) const = 0;
};

} // namespace nomix
