-- Lua strings are immutable; the idiomatic way to append a million pieces
-- is a buffer table joined once (s = s .. "x" would copy O(n^2) bytes).
local parts = {}
for i = 1, 1000000 do
    parts[#parts + 1] = "x"
end
local s = table.concat(parts)
print(#s)
