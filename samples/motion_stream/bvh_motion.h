#ifndef VELORA_SAMPLE_BVH_MOTION_H
#define VELORA_SAMPLE_BVH_MOTION_H

// A motion-capture file in BVH form: a joint hierarchy with offsets and
// channels, then one line of channel values per frame.
//
// Rotations come out as the three angles of the host's Euler order (X
// applied first, then Y, then Z); a file whose channels are listed
// "Zrotation Yrotation Xrotation" is in that order already and passes
// through unchanged, any other order is converted through its matrix.

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <lysdk/lysdk.h>

namespace velora_sample {

class BvhMotion {
public:
    enum Channel { kXposition, kYposition, kZposition, kXrotation, kYrotation, kZrotation };
    struct Joint {
        std::string name;
        int parent = -1;
        double offset[3] = {0, 0, 0};
        std::vector<int> channels;
        int firstValue = 0;  // index of its first channel in a frame line
        bool HasPosition() const {
            for (int c : channels)
                if (c <= kZposition) return true;
            return false;
        }
    };

    /// Reads `path`; false with `error` for a missing or malformed file.
    bool Load(const char* path, std::string* error) {
        *this = BvhMotion();
        std::ifstream in(path ? path : "");
        if (!in) return Fail(error, std::string("cannot read '") + (path ? path : "") + "'");
        std::string word;
        if (!(in >> word) || word != "HIERARCHY") return Fail(error, "not a BVH file (no HIERARCHY)");
        std::vector<int> stack;
        int values = 0;
        bool endSite = false;
        while (in >> word) {
            if (word == "ROOT" || word == "JOINT") {
                Joint joint;
                if (!(in >> joint.name)) return Fail(error, "a joint without a name");
                joint.parent = stack.empty() ? -1 : stack.back();
                if (word == "ROOT" && !mJoints.empty()) return Fail(error, "more than one ROOT");
                mJoints.push_back(joint);
                stack.push_back(static_cast<int>(mJoints.size()) - 1);
                if (!(in >> word) || word != "{") return Fail(error, "'{' expected after " + joint.name);
            } else if (word == "End") {
                in >> word;  // "Site"
                if (!(in >> word) || word != "{") return Fail(error, "'{' expected after End Site");
                endSite = true;
            } else if (word == "OFFSET") {
                double o[3];
                if (!(in >> o[0] >> o[1] >> o[2])) return Fail(error, "an OFFSET needs three numbers");
                if (!endSite && !stack.empty())
                    for (int i = 0; i < 3; ++i) mJoints[static_cast<std::size_t>(stack.back())].offset[i] = o[i];
            } else if (word == "CHANNELS") {
                int count = 0;
                if (stack.empty() || !(in >> count) || count < 0 || count > 6) return Fail(error, "bad CHANNELS");
                Joint& joint = mJoints[static_cast<std::size_t>(stack.back())];
                joint.firstValue = values;
                for (int i = 0; i < count; ++i) {
                    if (!(in >> word)) return Fail(error, "missing channel names");
                    const int channel = ChannelOf(word);
                    if (channel < 0) return Fail(error, "unknown channel '" + word + "'");
                    joint.channels.push_back(channel);
                }
                values += count;
            } else if (word == "}") {
                if (endSite) endSite = false;
                else if (!stack.empty()) stack.pop_back();
                else return Fail(error, "unbalanced '}'");
            } else if (word == "MOTION") {
                break;
            } else {
                return Fail(error, "unexpected '" + word + "' in the hierarchy");
            }
        }
        if (mJoints.empty() || !stack.empty()) return Fail(error, "no complete hierarchy");
        int frames = 0;
        double frameTime = 0;
        if (!(in >> word) || word != "Frames:" || !(in >> frames) || frames <= 0) return Fail(error, "bad 'Frames:'");
        if (!(in >> word >> word) || word != "Time:" || !(in >> frameTime) || !(frameTime > 0))
            return Fail(error, "bad 'Frame Time:'");
        mFramePeriod = TicksOf(frameTime);
        mFrames.assign(static_cast<std::size_t>(frames), std::vector<double>(static_cast<std::size_t>(values)));
        for (auto& frame : mFrames)
            for (double& v : frame)
                if (!(in >> v)) return Fail(error, "the file ends before its last frame");
        return true;
    }

    int JointCount() const { return static_cast<int>(mJoints.size()); }
    const Joint& JointAt(int i) const { return mJoints[static_cast<std::size_t>(i)]; }
    int FrameCount() const { return static_cast<int>(mFrames.size()); }
    /// The frame period in ticks.
    long long FramePeriod() const { return mFramePeriod; }

    /// The joint's local translation and rotation (degrees, host order) at
    /// `frame`: channels that the joint lacks keep its offset and zero.
    void Pose(int frame, int joint, double translation[3], double rotation[3]) const {
        const Joint& j = JointAt(joint);
        const std::vector<double>& values = mFrames[static_cast<std::size_t>(frame)];
        double angle[3] = {0, 0, 0};
        int axes[3];
        int rotations = 0;
        for (int i = 0; i < 3; ++i) translation[i] = j.offset[i];
        for (std::size_t c = 0; c < j.channels.size(); ++c) {
            const double v = values[static_cast<std::size_t>(j.firstValue) + c];
            const int channel = j.channels[c];
            if (channel <= kZposition) {
                translation[channel] = v;
            } else if (rotations < 3) {
                axes[rotations] = channel - kXrotation;
                angle[rotations++] = v;
            }
        }
        for (int i = 0; i < 3; ++i) rotation[i] = 0;
        if (rotations == 3 && axes[0] == 2 && axes[1] == 1 && axes[2] == 0) {
            // Listed Z Y X: the matrix is Rz.Ry.Rx, the host's own order.
            rotation[0] = angle[2];
            rotation[1] = angle[1];
            rotation[2] = angle[0];
            return;
        }
        // The listed rotations multiply left to right; the last one listed
        // is applied first.
        VELSDK2025::LyMatrix m, r, product;
        m.Identity();
        for (int i = 0; i < rotations; ++i) {
            VELSDK2025::LyVector3<double> one(0, 0, 0);
            one[axes[i]] = angle[i];
            VELSDK2025::LyRotationToMatrix(r, one);
            VELSDK2025::LyMatrixMult(product, m, r);
            m = product;
        }
        VELSDK2025::LyVector3<double> out;
        VELSDK2025::LyMatrixToRotation(out, m);
        for (int i = 0; i < 3; ++i) rotation[i] = out[i];
    }

private:
    static bool Fail(std::string* error, const std::string& why) {
        if (error) *error = why;
        return false;
    }
    static int ChannelOf(const std::string& name) {
        static const char* const kNames[] = {"Xposition", "Yposition", "Zposition", "Xrotation", "Yrotation", "Zrotation"};
        for (int i = 0; i < 6; ++i)
            if (name == kNames[i]) return i;
        return -1;
    }
    /// Seconds to ticks; a period within a thousandth of a whole frame rate
    /// is that rate exactly (files write 1/30 s as 0.0333333).
    static long long TicksOf(double seconds) {
        constexpr long long kTicksPerSecond = 141120000;
        const double rate = 1.0 / seconds;
        const double whole = std::round(rate);
        if (whole >= 1 && std::fabs(rate - whole) < 1e-3 * whole && kTicksPerSecond % static_cast<long long>(whole) == 0)
            return kTicksPerSecond / static_cast<long long>(whole);
        return static_cast<long long>(std::llround(seconds * kTicksPerSecond));
    }

    std::vector<Joint> mJoints;
    std::vector<std::vector<double>> mFrames;
    long long mFramePeriod = 0;
};

}  // namespace velora_sample

#endif  // VELORA_SAMPLE_BVH_MOTION_H
