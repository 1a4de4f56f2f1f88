#include "names/name_lists.h"

// Each list is built from an initializer list, which allocates exactly its
// entry count: the lists never grow, so no spare capacity is kept.

const std::vector<const char*> SpanishMaleFirstNames = {
    "Antonio", "Jose", "Manuel", "Francisco", "Juan", "David", "Javier", "Daniel", "Jesus",
    "Carlos", "Miguel", "Alejandro", "Rafael", "Pedro", "Angel", "Jose Maria", "Fernando", "Pablo",
    "Luis", "Sergio", "Jorge", "Alberto", "Alvaro", "Diego", "Adrian", "Raul", "Enrique", "Ramon",
    "Ivan", "Vicente", "Ruben", "Oscar", "Andres", "Joaquin", "Santiago", "Eduardo", "Victor",
    "Roberto", "Jaime", "Mario", "Ignacio", "Alfonso", "Marcos", "Salvador", "Ricardo", "Jordi",
    "Emilio", "Julian", "Guillermo", "Julio", "Gabriel", "Tomas", "Agustin", "Jose Miguel", "Hugo",
    "Marc", "Gonzalo", "Jose Ramon", "Mohamed", "Felix", "Joan", "Nicolas", "Ismael", "Cristian",
    "Samuel", "Martin", "Josep", "Mariano", "Domingo", "Alfredo", "Sebastian",
};

const std::vector<const char*> SpanishSurnames = {
    "Garcia", "Gonzalez", "Rodriguez", "Fernandez", "Lopez", "Martinez", "Sanchez", "Perez",
    "Gomez", "Martin", "Jimenez", "Ruiz", "Hernandez", "Diaz", "Moreno", "Munoz", "Alvarez",
    "Romero", "Alonso", "Gutierrez", "Navarro", "Torres", "Dominguez", "Vazquez", "Ramos", "Gil",
    "Ramirez", "Serrano", "Blanco", "Molina", "Morales", "Suarez", "Ortega", "Delgado", "Castro",
    "Ortiz", "Rubio", "Marin",
};

const std::vector<const char*> MaleFirstNames = {
    "John", "William", "James", "George", "Charles", "Robert", "Joseph", "Frank", "Edward",
    "Thomas", "Henry", "Walter", "Harry", "Willie", "Arthur", "Albert", "Clarence", "Fred",
    "Harold", "Paul", "Raymond", "Richard", "Roy", "Joe", "Louis", "Carl", "Ralph", "Earl", "Jack",
    "Ernest", "David", "Samuel", "Howard", "Charlie", "Francis", "Herbert", "Lawrence", "Theodore",
    "Alfred", "Andrew", "Elmer", "Sam", "Eugene", "Leo", "Michael", "Lee", "Herman", "Anthony",
    "Daniel", "Leonard", "Floyd", "Donald", "Kenneth", "Jesse", "Russell", "Clyde", "Oscar",
    "Peter", "Lester", "Leroy", "Ray", "Stanley", "Clifford", "Lewis", "Benjamin", "Edwin",
    "Frederick", "Chester", "Claude", "Eddie", "Cecil", "Lloyd", "Jessie", "Martin", "Bernard",
    "Tom", "Will", "Norman", "Edgar", "Harvey", "Ben", "Homer", "Luther", "Leon", "Melvin",
    "Philip", "Johnnie", "Jim", "Milton", "Everett", "Allen", "Leslie", "Alvin", "Victor", "Marvin",
    "Stephen", "Alexander", "Jacob", "Hugh", "Patrick", "Virgil", "Horace", "Glenn", "Oliver",
    "Morris", "Vernon", "Archie", "Julius", "Gerald", "Maurice", "Sidney", "Marion", "Otis",
    "Vincent",
};

const std::vector<const char*> FemaleFirstNames = {
    "Mary", "Helen", "Margaret", "Anna", "Ruth", "Elizabeth", "Dorothy", "Marie", "Florence",
    "Mildred", "Alice", "Ethel", "Lillian", "Gladys", "Edna", "Frances", "Rose", "Annie", "Grace",
    "Bertha", "Emma", "Bessie", "Clara", "Hazel", "Irene", "Gertrude", "Louise", "Catherine",
    "Martha", "Mabel", "Pearl", "Edith", "Esther", "Minnie", "Myrtle", "Ida", "Josephine", "Evelyn",
    "Elsie", "Eva", "Thelma", "Ruby", "Agnes", "Sarah", "Viola", "Nellie", "Beatrice", "Julia",
    "Laura", "Lillie", "Lucille", "Ella", "Virginia", "Mattie", "Pauline", "Carrie", "Alma",
    "Jessie", "Mae", "Lena", "Willie", "Katherine", "Blanche", "Hattie", "Marion", "Lucy", "Stella",
    "Mamie", "Vera", "Cora", "Fannie", "Eleanor", "Bernice", "Jennie", "Ann", "Leona", "Beulah",
    "Lula", "Rosa", "Ada", "Ellen", "Kathryn", "Maggie", "Doris", "Dora", "Betty", "Marguerite",
    "Violet", "Lois", "Daisy", "Anne", "Sadie", "Susie", "Nora", "Georgia", "Maude", "Marjorie",
    "Opal", "Hilda", "Velma", "Emily", "Theresa", "Charlotte", "Inez", "Olive", "Flora", "Della",
    "Lola", "Jean", "Effie", "Nancy", "Nettie", "Sylvia", "May",
};

const std::vector<const char*> Surnames = {
    "Abrim", "Alcock", "Allen", "Anderson", "Arhile", "Baily", "Barner", "Bedord", "Blake",
    "Blakely", "Bolton", "Borine", "Bornce", "Bornhisn", "Boucha", "Braussaw", "Brock", "Brockman",
    "Brown", "Burnette", "Caffey", "Calahan", "Cambell", "Cantan", "Cantei", "Cardinal", "Casy",
    "Chalouf", "Clearson", "Cocharn", "Collins", "Condene", "Cotter", "Coutu", "Crowell", "Darfu",
    "Davis", "Day", "Densmore", "Derwin", "Dutcher", "Eakley", "Easswin", "Eckley", "Edwards",
    "Ellis", "Elsner", "Fandrick", "Fandric", "Farma", "Fergin", "Fisher", "Fox", "Frazier",
    "Friskey", "Frisky", "Furlong", "Gengras", "Gordon", "Gorham", "Gornelle", "Greenwood",
    "Gregsby", "Hankins", "Harden", "Hasseling", "Hayh", "Held", "Hendrox", "Hepiner", "Highland",
    "Hoolahan", "Houle", "Kendlisna", "Kensies", "King", "Laboner", "Lamenski", "Lapinance",
    "Leach", "Leobo", "Marquis", "Martin", "Mattis", "Mcallum", "Mccloud", "Mccutcheon", "Mcdonald",
    "Mcdonals", "Mcglen", "Mcquada", "Mctire", "Mezyenski", "Miller", "Mitchal", "Moore", "Moris",
    "Musgrave", "Noland", "Oconal", "O'Neal", "Paquin", "Pauin", "Paulie", "Perkins", "Pollard",
    "Pond", "Poor", "Price", "Rapin", "Roberts", "Rosebush", "Rourck", "Russel", "Sarafin",
    "Savore", "Schofield", "Serrone", "Simon", "Slack", "Small", "Sonical", "St. Denis",
    "St. Johns", "Stiles", "Stolens", "Store", "Strong", "Sullivan", "Tarner", "Thomas", "Ubend",
    "Vallier", "Visnau", "Wagner", "Wall", "Whitmore",
};
