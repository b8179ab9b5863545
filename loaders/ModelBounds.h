#pragma once

class Model;

// Refreshes the world bounds of every instance of the model from its node, then sets the model's
// bounds to a sphere enclosing them all (centred on their box), which the renderer culls the
// model by. A model without instances gets centre (0, 0, 0) and radius 0. Call it after moving
// the model's root node (and updating its world transform).
void updateModelBounds(Model& model);
