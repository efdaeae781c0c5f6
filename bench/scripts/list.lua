local l = {}
for i = 0, 999999 do
    l[#l + 1] = i
end
local sum = 0
for i = 1, #l do
    sum = sum + l[i]
end
print(sum)
