local function add(a, b)
    return a + b
end
local sum = 0
for i = 0, 999999 do
    sum = add(sum, i)
end
print(sum)
