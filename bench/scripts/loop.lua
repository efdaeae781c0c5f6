local sum = 0
for i = 0, 10000000 - 1 do
    sum = sum + i % 7
end
print(sum)
