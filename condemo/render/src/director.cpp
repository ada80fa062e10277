#include "condemo/director.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "kalt/fmath.h"

namespace condemo {

namespace {

using kalt::Cos;
using kalt::Sin;

// A value raised to 0 when negative, then lowered to top when above it.
double Clamp(double value, double top) {
  if (value < 0.0) value = 0.0;
  if (value > top) value = top;
  return value;
}

SceneParams Params(SceneId sceneId, Vec3 camPos, float maxTravel, float stepScale, float hitEpsilon,
                   int maxBounce) {
  SceneParams params;
  params.sceneId = sceneId;
  params.camPos = camPos;
  params.maxTravel = maxTravel;
  params.stepScale = stepScale;
  params.hitEpsilon = hitEpsilon;
  params.maxBounce = maxBounce;
  return params;
}

}  // namespace

SceneParams DirectScene(int orderPosition, double sceneTime, const MusicPulse& pulse, double frameDelta,
                        float previousMaxTravel) {
  constexpr double kPi = std::numbers::pi;
  const float t = static_cast<float>(sceneTime);
  const float a = pulse.flashA, b = pulse.flashB;
  const double previous = previousMaxTravel;

  if (orderPosition <= 3) {  // the carved lattice fades in
    SceneParams params = Params(SceneId::kCarvedLattice, {100.0f * Sin(0.7f * t), 100.0f * Sin(0.9f * t), 200.0f},
                                static_cast<float>(Clamp(previous + 50.0 * frameDelta, 250.0)), 0.3f, 0.0003f, 1);
    params.camAngleX = 11.5f * Sin(0.04f * t);
    params.camAngleY = 15.5f * Sin(0.05f * t);
    params.camAngleZ = 17.5f * Sin(0.03f * t);
    return params;
  }
  if (orderPosition <= 7) {  // along the first of the winding tubes
    SceneParams params = Params(SceneId::kWindingTubes,
                                {Sin(1.5f * t) + Cos(0.9f * t), Sin(1.5f * t) + Cos(1.2f * t), 3.0f * t}, 33.0f,
                                0.3f, 0.0003f, 1);
    params.camAngleX = static_cast<float>(-(kPi / 4.0) * static_cast<double>(Sin(0.5f * t)));
    params.camAngleY = static_cast<float>(kPi * static_cast<double>(Sin(0.25f * t)) + kPi);
    params.camAngleZ = 55.0f * Cos(0.025f * t);
    return params;
  }
  if (orderPosition <= 9)
    return Params(SceneId::kMergedBlobs, {1.5f * Sin(t), 1.5f * Cos(0.7f * t), -6.0f}, 9.0f, 0.5f, 0.0003f, 0);
  if (orderPosition <= 11)
    return Params(SceneId::kSpikyBall, {Sin(1.3f * t + b), Cos(1.7f * t - b), Sin(t + a) - 3.0f}, 6.0f, 1.0f,
                  0.0001f, 1);
  if (orderPosition <= 13)
    return Params(SceneId::kTwistedOctahedron, {Sin(1.3f * t + b), Cos(1.7f * t - b), Sin(t - a) - 6.0f}, 9.0f,
                  0.3f, 0.0003f, 1);
  if (orderPosition <= 15)
    return Params(SceneId::kFoldedBlob, {Cos(1.3f * t + b), Sin(1.7f * t + b), Sin(t + a) - 5.5f}, 9.0f, 0.3f,
                  0.0003f, 1);
  if (orderPosition <= 17)
    return Params(SceneId::kSpikyBallInSphere, {2.0f * Sin(0.5f * t - b), 2.0f * Cos(0.7f * t - b), Sin(t - a) - 2.5f},
                  8.0f, 1.0f, 0.0001f, 0);
  const Vec3 tunnelCam{0.6f * Sin(t), 0.6f * Cos(0.7f * t), 4.0f * t - 1.0f};
  if (orderPosition <= 19) return Params(SceneId::kGearTunnel, tunnelCam, 33.0f, 0.5f, 0.0003f, 0);
  // The tunnel fades out.
  return Params(SceneId::kGearTunnelFadeOut, tunnelCam, static_cast<float>(Clamp(previous - 9.0 * frameDelta, 33.0)),
                0.5f, 0.0003f, 0);
}

DirectorCarry SteadyRunCarry(int orderPosition, double sceneTime, double frameStep) {
  DirectorCarry carry;
  if (!(frameStep > 0.0) || !std::isfinite(sceneTime) || !std::isfinite(frameStep)) return carry;
  const auto frameTime = [frameStep](std::int64_t frame) { return static_cast<double>(frame) * frameStep; };
  for (std::int64_t frame = 0; frameTime(frame) < sceneTime; ++frame) {
    const float before = carry.maxTravel;
    carry.maxTravel = DirectScene(orderPosition, frameTime(frame), MusicPulse{}, carry.frameDelta, before).maxTravel;
    carry.frameDelta = frame == 0 ? 0.0 : frameTime(frame) - frameTime(frame - 1);
    // From the third frame on the step is steady, so once maxTravel holds
    // still (at a bound, or in a row that sets it outright) it holds still
    // for good: skip to the last frame before sceneTime for its step.
    if (frame > 1 && carry.maxTravel == before) {
      constexpr std::int64_t kLongestRun = 1000000000000000;  // frames; later ones all have this run's step
      std::int64_t last = static_cast<std::int64_t>(std::min(sceneTime / frameStep, static_cast<double>(kLongestRun)));
      while (last > frame && !(frameTime(last) < sceneTime)) --last;
      while (last < kLongestRun && frameTime(last + 1) < sceneTime) ++last;
      carry.frameDelta = frameTime(last) - frameTime(last - 1);
      break;
    }
  }
  return carry;
}

SceneParams StillScene(int orderPosition, double sceneTime, const MusicPulse& pulse) {
  constexpr double kFrameStep = 1.0 / 60.0;
  constexpr float kFadeOutStart = 33.0f;
  const DirectorCarry carry = orderPosition >= 20 ? DirectorCarry{kFadeOutStart, 0.0}
                                                  : SteadyRunCarry(orderPosition, sceneTime, kFrameStep);
  return DirectScene(orderPosition, sceneTime, pulse, carry.frameDelta, carry.maxTravel);
}

}  // namespace condemo
