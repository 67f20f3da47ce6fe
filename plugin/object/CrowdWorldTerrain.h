// CrowdWorldTerrain: the terrain object linked to a world, on which its agents stand.
#pragma once

#include "plugin/hostapi/PluginApi.h"

class GeRayCollider;

class CrowdWorldTerrain {
  public:
    CrowdWorldTerrain() = default;
    ~CrowdWorldTerrain();
    CrowdWorldTerrain(const CrowdWorldTerrain&) = delete;
    CrowdWorldTerrain& operator=(const CrowdWorldTerrain&) = delete;

    /// Makes the ray collider; false when the host cannot give one.
    bool Alloc();
    /// Starts a frame with `object` as the terrain (null: none) and readies the collider on it.
    void Link(BaseObject* object);
    /// Whether a terrain is linked in this frame.
    bool Linked() const { return terrain != nullptr; }
    /// Takes the matrices between the terrain and `generator`, whose agents stand on it next.
    void PlaceGenerator(BaseObject* generator);
    /// Stands an agent's matrix on the terrain: sets its height to the ground found along its
    /// up axis and returns the heading, pitch and bank of the matrix tilted to the ground, for
    /// the generator's forward-axis code; (0, 0, 0) with `mg` unchanged when no ground lies
    /// within 100000 units.
    LVector Stand(LMatrix& mg, int32_t forward_axis);

  private:
    GeRayCollider* collider = nullptr; ///< ray collider over the terrain, made by Alloc
    BaseObject* terrain = nullptr;     ///< object linked as terrain, or null
    LMatrix generator_in_terrain;      ///< terrain^-1 * generator
    LMatrix terrain_in_generator;      ///< generator^-1 * terrain
};
