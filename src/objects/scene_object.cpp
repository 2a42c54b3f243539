#include "objects/scene_object.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "map/property_table.h"
#include "objects/object_grid.h"
#include "objects/scene_draw.h"

namespace {

// Registered objects by id. Ids are handed out once and never reused; a
// table that has given out every 16-bit id registers no more objects.
SceneObject* g_objects[SceneObject::kMaxObjects] = {};
int g_nextId = 0;

void setIdentity(float m[16])
{
    for (int i = 0; i < 16; ++i) m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

// Parses token i of a line as a float; a missing or unreadable token
// leaves value unchanged.
void readFloat(const LineRecord& line, int i, float& value)
{
    if (i >= line.tokenCount) return;
    const char* text = line.tokens[i].c_str();
    char* end = nullptr;
    float parsed = std::strtof(text, &end);
    if (end != text && std::isfinite(parsed)) value = parsed;
}

float toDegrees360(float radians)
{
    float degrees = std::fmod(radians * 57.29578f, 360.0f);
    if (degrees < 0.0f) degrees += 360.0f;
    return degrees + 0.0f;  // never "-0.000000" in a file
}

}  // namespace

SceneObject* FindSceneObject(int id)
{
    if (id < 0 || id >= SceneObject::kMaxObjects) return nullptr;
    return g_objects[id];
}

SceneObject::SceneObject()
{
    setIdentity(matrix);
    m_node.owner = this;
}

SceneObject::SceneObject(const SceneObject& other)
    : radius(other.radius), flags(0), active(other.active)
{
    std::memcpy(position, other.position, sizeof position);
    std::memcpy(matrix, other.matrix, sizeof matrix);
    m_node.owner = this;
    if (g_nextId < kMaxObjects) {
        m_id = static_cast<int16_t>(g_nextId++);
        g_objects[m_id] = this;
    }
}

SceneObject::~SceneObject()
{
    if (m_grid) m_grid->remove(*this);
    if (m_id >= 0 && g_objects[m_id] == this) g_objects[m_id] = nullptr;
}

SceneObject* SceneObject::Clone() const { return new SceneObject(*this); }

void SceneObject::SetPosition(float x, float y, float z)
{
    position[0] = x;
    position[1] = y;
    position[2] = z;
    if (ObjectGrid* grid = CurrentObjectGrid()) grid->file(*this);
    matrix[12] = x;
    matrix[13] = y;
    matrix[14] = z;
}

void SceneObject::SetDirection(const Vec3& direction)
{
    float length = std::sqrt(direction.x * direction.x + direction.y * direction.y + direction.z * direction.z);
    if (!(length > 0.0f)) return;
    float z[3] = {direction.x / length, direction.y / length, direction.z / length};
    // x = up x z; when z is vertical any horizontal x will do.
    float x[3] = {z[2], 0.0f, -z[0]};
    float xLength = std::sqrt(x[0] * x[0] + x[2] * x[2]);
    if (xLength < 1e-6f) {
        x[0] = 1.0f;
        x[2] = 0.0f;
    } else {
        x[0] /= xLength;
        x[2] /= xLength;
    }
    float y[3] = {z[1] * x[2] - z[2] * x[1], z[2] * x[0] - z[0] * x[2], z[0] * x[1] - z[1] * x[0]};
    for (int i = 0; i < 3; ++i) {
        matrix[i] = x[i];
        matrix[4 + i] = y[i];
        matrix[8 + i] = z[i];
    }
}

void SceneObject::SetAngles(float a, float b, float c)
{
    const float toRadians = 0.017453292f;
    float cx = std::cos(a * toRadians), sx = std::sin(a * toRadians);
    float cy = std::cos(b * toRadians), sy = std::sin(b * toRadians);
    float cz = std::cos(c * toRadians), sz = std::sin(c * toRadians);
    matrix[0] = cz * cy;
    matrix[1] = -cy * sz;
    matrix[2] = sy;
    matrix[4] = cz * sx * sy + sz * cx;
    matrix[5] = cz * cx - sz * sx * sy;
    matrix[6] = -sx * cy;
    matrix[8] = sx * sz - cz * sy * cx;
    matrix[9] = sz * sy * cx + sx * cz;
    matrix[10] = cy * cx;
}

void SceneObject::ExtractAngles(float angles[3]) const
{
    const float halfPi = 1.5707964f;
    // Rounding can push the element a hair beyond 1; asin must not see that.
    float m2 = std::fmax(-1.0f, std::fmin(1.0f, matrix[2]));
    float b = std::asin(m2);
    float a;
    float c;
    if (b >= halfPi) {
        a = std::atan2(matrix[4], matrix[5]);
        c = 0.0f;
    } else if (b > -halfPi) {
        a = std::atan2(-matrix[6], matrix[10]);
        c = std::atan2(-matrix[1], matrix[0]);
    } else {
        a = -std::atan2(matrix[4], matrix[5]);
        c = 0.0f;
    }
    angles[0] = toDegrees360(a);
    angles[1] = toDegrees360(b);
    angles[2] = toDegrees360(c);
}

void SceneObject::Draw()
{
    if (SceneDrawer* drawer = GetSceneDrawer()) drawer->drawObjectMarker(*this);
}

void SceneObject::Write(FILE* file) const
{
    float angles[3];
    ExtractAngles(angles);
    std::fprintf(file, "position %f %f %f\n", position[0], position[1], position[2]);
    std::fprintf(file, "angles %f %f %f\n", angles[0], angles[1], angles[2]);
}

bool SceneObject::ReadProperty(const LineRecord& line)
{
    if (line.key == "radius") {
        readFloat(line, 0, radius);
        return true;
    }
    if (line.key == "position") {
        float p[3] = {position[0], position[1], position[2]};
        for (int i = 0; i < 3; ++i) readFloat(line, i, p[i]);
        SetPosition(p[0], p[1], p[2]);
        return true;
    }
    if (line.key == "angles") {
        float angles[3];
        ExtractAngles(angles);
        for (int i = 0; i < 3; ++i) readFloat(line, i, angles[i]);
        SetAngles(angles[0], angles[1], angles[2]);
        return true;
    }
    return false;
}
