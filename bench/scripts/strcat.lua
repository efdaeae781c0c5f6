local s = ""
for i = 1, 1000000 do
    s = s .. "x"
end
print(#s)
