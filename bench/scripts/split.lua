-- Appending to a buffer table and joining once is Lua's idiom for building
-- a long string; splitting goes through gmatch.
local buffer = {}
for i = 0, 299999 do
    buffer[#buffer + 1] = "item" .. tostring(i) .. ","
end
local s = table.concat(buffer)
local parts = {}
for part in (s):gmatch("([^,]*),") do
    parts[#parts + 1] = part
end
parts[#parts + 1] = ""
local total = 0
for i = 1, #parts do
    total = total + #parts[i]
end
print(#parts .. " " .. total)
